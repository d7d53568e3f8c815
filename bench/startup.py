#!/usr/bin/env python3
"""Start-up benchmark: Velkor against a bare Qt window of the same size.

Runs three programs in turn, ROUNDS times each: Velkor, the bare window, and the bare window
with one label (what drawing any text costs). Every run has a fresh environment (settings
folder, runtime folder) over a Wine prefix that holds a real Wine hive. A probe preloaded into
each program ends it right after its first window has been shown and painted; the time is from
the start of the process to its end, the memory the process's peak resident set (ru_maxrss).
Prints medians and the ratios. A benchmark, not a test: it never fails on the figures.
"""

import argparse
import lzma
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def make_prefix(root, data):
    prefix = os.path.join(root, "prefix")
    os.makedirs(os.path.join(prefix, "dosdevices"))
    os.makedirs(os.path.join(prefix, "drive_c", "Games", "Populous"))
    os.symlink("../drive_c", os.path.join(prefix, "dosdevices", "c:"))
    os.symlink("/", os.path.join(prefix, "dosdevices", "z:"))
    with lzma.open(os.path.join(data, "system.reg.xz")) as src, \
            open(os.path.join(prefix, "system.reg"), "wb") as dst:
        shutil.copyfileobj(src, dst)
    for name in ("user.reg", "userdef.reg"):
        shutil.copy(os.path.join(data, name), prefix)
    return prefix


def run(command, env, report):
    """Wall time in seconds and peak RSS in KiB of one run that ends when shown."""
    if os.path.exists(report):
        os.remove(report)
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    error = process.stderr.read().decode(errors="replace")
    process.stderr.close()
    if process.returncode != 0 or not os.path.exists(report):
        sys.exit(f"{command[0]} did not show a window (exit {process.returncode}):\n{error}")
    with open(report) as f:
        size = tuple(int(x) for x in f.read().split())
    return elapsed, usage.ru_maxrss, size


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--velkor", required=True)
    parser.add_argument("--bare", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--data", required=True, help="folder with system.reg.xz, user.reg, userdef.reg")
    parser.add_argument("--rounds", type=int, default=10)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="velkor-bench-") as root:
        prefix = make_prefix(root, args.data)
        report = os.path.join(root, "shown")
        base = dict(os.environ, WINEPREFIX=prefix, LD_PRELOAD=os.path.abspath(args.probe),
                    VELKOR_BENCH_REPORT=report)

        def fresh_env(i):
            env = dict(base)
            for name in ("XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"):
                folder = os.path.join(root, f"{name}-{i}")
                os.makedirs(folder, mode=0o700)
                env[name] = folder
            return env

        # A first run of each warms the file cache and gives Velkor's window size.
        _, _, size = run([args.velkor], fresh_env("warm-v"), report)
        bare = [args.bare, str(size[0]), str(size[1])]
        text = bare + ["Velkor"]
        run(bare, fresh_env("warm-b"), report)
        run(text, fresh_env("warm-t"), report)

        programs = (("velkor", [args.velkor]), ("bare", bare), ("text", text))
        times = {name: [] for name, _ in programs}
        peaks = {name: [] for name, _ in programs}
        for i in range(args.rounds):
            for name, command in programs:
                elapsed, peak, _ = run(command, fresh_env(f"{name}-{i}"), report)
                times[name].append(elapsed)
                peaks[name].append(peak)

    t = {k: statistics.median(v) for k, v in times.items()}
    m = {k: statistics.median(v) for k, v in peaks.items()}
    platform = os.environ.get("QT_QPA_PLATFORM") or "xcb"
    print(f"start-up to window shown, {args.rounds} rounds alternating, window {size[0]}x{size[1]}, "
          f"platform {platform}, real Wine hive in the prefix")
    for name, _ in programs:
        print(f"  {name:6}  time median {t[name] * 1000:7.1f} ms (min {min(times[name]) * 1000:.1f}, "
              f"max {max(times[name]) * 1000:.1f})   peak RSS median {m[name] / 1024:6.1f} MiB")
    print(f"  ratio   time {t['velkor'] / t['bare']:.2f}x   memory {m['velkor'] / m['bare']:.2f}x"
          f"   (target: within 1.2x)")
    print(f"  against the bare window with one label (text drawn): time "
          f"{t['velkor'] / t['text']:.2f}x   memory {m['velkor'] / m['text']:.2f}x")


if __name__ == "__main__":
    main()
