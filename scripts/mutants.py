#!/usr/bin/env python3
"""Plants small faults in the program's logic, one at a time, and counts how many the tests catch.

Each mutant changes one spot of one source file under src/ (a comparison flipped or loosened,
&& and || swapped, a condition negated, a boolean result inverted, a bound moved by one), the
build is redone and the tests run; the mutant is caught when a test fails or the build breaks
in the tests only. The same seed and source give the same mutants, so the figures before and
after a change to the tests can be compared.

    scripts/mutants.py [--build build] [--count 60] [--seed 1] [--only REGEX] [--ctest ARGS]
    scripts/mutants.py --replay OLD.json [--renamed-since COMMIT]

Writes one line per mutant and a summary; --json FILE keeps the results. The source files are
restored after each mutant, also when interrupted. --replay plants again the mutants an earlier
--json recorded, found by their line's text in the file as it is now (followed through the
renames git sees since COMMIT), so that a change that moved code is measured on the same faults.
"""
import argparse
import json
import pathlib
import random
import re
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent

# (name, pattern, replacement); the pattern must match exactly the text to replace.
OPERATORS = [
    ("==->!=", r"(?<![=!<>])==(?!=)", "!="),
    ("!=->==", r"!=", "=="),
    ("<=-><", r"(?<![<])<=", "<"),
    (">=->>", r"(?<![>-])>=", ">"),
    ("<-><=", r"(?<=[\w)\]] )<(?= [\w(])", "<="),
    (">->>=", r"(?<=[\w)\]] )>(?= [\w(])", ">="),
    ("&&->||", r"&&", "||"),
    ("||->&&", r"\|\|", "&&"),
    ("true->false", r"\breturn true;", "return false;"),
    ("false->true", r"\breturn false;", "return true;"),
    ("+1->+0", r"\+ 1\b", "+ 0"),
    ("-1->-0", r"(?<=\w) - 1\b", " - 0"),
    ("if(!x)->if(x)", r"\bif \(!(?!=)", "if ("),
]

SKIP_LINE = re.compile(r"^\s*(//|#|\*|/\*)|static_assert|Q_OBJECT|QStringLiteral\(\"[^\"]*[<>=]")


def line_sites(code):
    """The (start, end, name, replacement, occurrence) of every mutation site on one line."""
    found = []
    for name, pattern, replacement in OPERATORS:
        occurrence = 0
        for match in re.finditer(pattern, code):
            # Leave string literals alone.
            if code[: match.start()].count('"') % 2:
                continue
            found.append((match.start(), match.end(), name, replacement, occurrence))
            occurrence += 1
    return found


def sites(only):
    found = []
    for path in sorted((ROOT / "src").rglob("*.cpp")):
        rel = path.relative_to(ROOT).as_posix()
        if rel.endswith("main.cpp") or (only and not re.search(only, rel)):
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if SKIP_LINE.search(line) or "template" in line or "#include" in line:
                continue
            for start, end, name, replacement, occurrence in line_sites(line.split("//")[0]):
                found.append((rel, number, start, end, name, replacement, occurrence))
    return found


def renames(since):
    """Old path -> new path for the files git sees renamed since a commit."""
    out = subprocess.run(["git", "diff", "--name-status", "-M", since, "--", "src"], cwd=ROOT,
                         capture_output=True, text=True, check=True).stdout
    moved = {}
    for row in out.splitlines():
        fields = row.split("\t")
        if fields[0].startswith("R"):
            moved[fields[1]] = fields[2]
    return moved


def replayed(records, since):
    """The recorded mutants located in today's sources; those not found are reported and left."""
    moved = renames(since) if since else {}
    chosen = []
    for record in records:
        rel = moved.get(record["file"], record["file"])
        path = ROOT / rel
        lines = path.read_text(encoding="utf-8").splitlines() if path.exists() else []
        matches = [n for n, line in enumerate(lines, 1) if line.strip() == record["code"]]
        site = None
        if matches:
            number = min(matches, key=lambda n: abs(n - record["line"]))
            for start, end, name, replacement, occurrence in line_sites(
                    lines[number - 1].split("//")[0]):
                if name == record["mutation"] and occurrence == record.get("occurrence", 0):
                    site = (rel, number, start, end, name, replacement, occurrence)
        if site:
            chosen.append(site)
        else:
            print(f"{'lost':8} {record['file']}:{record['line']} {record['mutation']}", flush=True)
    return chosen


def run(command, timeout):
    try:
        return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--count", type=int, default=60)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--only", help="regular expression on the file paths to mutate")
    parser.add_argument("--ctest", default="-LE wine -E install_",
                        help="extra ctest arguments (default: no Wine, no install checks)")
    parser.add_argument("--json", help="file to write the results to")
    parser.add_argument("--replay", help="the results of an earlier run, to plant again")
    parser.add_argument("--renamed-since", help="with --replay: follow git's renames since then")
    args = parser.parse_args()

    if args.replay:
        candidates = replayed(json.loads(pathlib.Path(args.replay).read_text()),
                              args.renamed_since)
        chosen = candidates
    else:
        candidates = sites(args.only)
        chosen = random.Random(args.seed).sample(candidates, min(args.count, len(candidates)))
    chosen.sort()
    build = ["cmake", "--build", args.build]
    if run(build, 3600) != 0:
        sys.exit("the unchanged build fails")
    results = []
    started = time.time()
    for rel, number, start, end, name, replacement, occurrence in chosen:
        path = ROOT / rel
        original = path.read_bytes()
        lines = original.decode("utf-8").split("\n")
        line = lines[number - 1]
        lines[number - 1] = line[:start] + replacement + line[end:]
        try:
            path.write_bytes("\n".join(lines).encode("utf-8"))
            built = run(build, 1800) == 0
            status = "invalid"
            if built:
                tested = run(["ctest", "--test-dir", args.build, "-j2", "--timeout", "120",
                              "--stop-on-failure", *args.ctest.split()], 1800)
                status = "caught" if tested != 0 else "survived"
        finally:
            path.write_bytes(original)
        where = f"{rel}:{number}"
        print(f"{status:8} {where:45} {name:14} {line.strip()[:70]}", flush=True)
        results.append({"file": rel, "line": number, "mutation": name, "occurrence": occurrence,
                        "status": status, "code": line.strip()})
    run(build, 3600)
    caught = sum(r["status"] == "caught" for r in results)
    valid = sum(r["status"] != "invalid" for r in results)
    print(f"{caught} of {valid} mutants caught ({len(candidates)} sites, seed {args.seed}, "
          f"{time.time() - started:.0f} s)")
    if args.json:
        pathlib.Path(args.json).write_text(json.dumps(results, indent=1))


if __name__ == "__main__":
    main()
