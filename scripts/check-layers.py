#!/usr/bin/env python3
"""Checks that every #include under src/ keeps to the layers, lowest first:

    seam     src/platform/*.h, src/platform/platform.cpp   interfaces to the system, QtCore only
    core     src/core/<area>/                              rules and knowledge, QtCore only
    backend  src/platform/{common,linux,windows}/          adapters behind the seam
    gui      src/gui/<area>/                               the forms' kit and every window
    app      src/app/                                      main.cpp

A file includes from its own layer or those below it, with these narrower rules: a backend
includes no other system's backend and no window but the Linux help runtime's viewer
(gui/helpviewer); the windows reach the system only through the seam, never a backend; the seam
and core include no Qt Gui or Widgets header. The unit tests of core (tests/core/) include only
core, the seam and the tests' own helpers. Prints file:line for each include that breaks a rule
and exits 1 if there is any.

    scripts/check-layers.py
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "src"
TESTS = ROOT / "tests"
ORDER = ["seam", "core", "backend", "gui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
# A class named without its header ("class QWidget;") is used all the same.
FORWARD = re.compile(r"^\s*class\s+(Q\w+)\s*;")
# Made by the build: the values fixed at build time, and moc's output.
GENERATED = re.compile(r"^buildconfig\.h$|\.moc$|^moc_")
QT_MODULES_WITH_WINDOWS = ("QtGui", "QtWidgets", "QtOpenGL", "QtPrintSupport")
QT_HEADER_ROOTS = ["/usr/include/x86_64-linux-gnu/qt6", "/usr/include/qt6"]
# Where no Qt headers can be looked at: the Gui and Widgets classes these sources could meet.
KNOWN_WINDOW_HEADERS = {
    "QAction", "QApplication", "QBrush", "QColor", "QCursor", "QDesktopServices", "QDialog",
    "QFont", "QGuiApplication", "QIcon", "QImage", "QKeyEvent", "QLabel", "QMessageBox",
    "QPainter", "QPalette", "QPixmap", "QScreen", "QWhatsThis", "QWidget", "QWindow",
}


def layer(path):
    """The layer of a file under src/, or None."""
    parts = path.relative_to(SRC).parts
    if parts[0] == "platform":
        return "seam" if len(parts) == 2 else "backend"
    return {"core": "core", "gui": "gui", "app": "app"}.get(parts[0])


def window_modules():
    """Qt header name -> module, for the modules that draw windows."""
    found = {}
    for root in map(pathlib.Path, QT_HEADER_ROOTS):
        for module in QT_MODULES_WITH_WINDOWS:
            folder = root / module
            if folder.is_dir():
                found.update((header.name, module) for header in folder.iterdir())
    return found


def draws_windows(header, modules):
    if header.split("/")[0] in QT_MODULES_WITH_WINDOWS:
        return True
    return header in modules if modules else header in KNOWN_WINDOW_HEADERS


def resolve(including, name, roots):
    for base in [including.parent, *roots]:
        candidate = (base / name).resolve()
        if candidate.is_file():
            return candidate
    return None


def src_rule(path, target):
    """Why an include of `target` from `path` (both under src/) breaks the layers, or None."""
    mine, theirs = layer(path), layer(target)
    mine_parts, their_parts = path.relative_to(SRC).parts, target.relative_to(SRC).parts
    if ORDER.index(theirs) > ORDER.index(mine):
        if (mine, their_parts[:2]) == ("backend", ("gui", "helpviewer")) and \
                mine_parts[1] == "linux":
            return None  # the Linux help runtime shows our own viewer
        return f"{mine} includes {theirs}"
    if mine == "gui" and theirs == "backend":
        return "a window includes a backend: the system is reached through the seam"
    if mine == theirs == "backend" and their_parts[1] not in (mine_parts[1], "common"):
        return f"the {mine_parts[1]} backend includes the {their_parts[1]} one"
    return None


def check(path, roots, rule, windows_allowed, modules):
    problems = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{path.relative_to(ROOT)}:{number}"
        forward = FORWARD.match(line)
        if forward and not windows_allowed and draws_windows(forward.group(1), modules):
            problems.append(f"{where}: {forward.group(1)} draws windows, not for this layer")
        match = INCLUDE.match(line)
        if not match:
            continue
        bracket, name = match.groups()
        if bracket == "<":
            if not windows_allowed and draws_windows(name, modules):
                problems.append(f"{where}: <{name}> draws windows, not for this layer")
            continue
        if GENERATED.search(name):
            continue
        target = resolve(path, name, roots)
        if target is None:
            problems.append(f'{where}: "{name}" is no file of the project')
            continue
        why = rule(path, target)
        if why:
            problems.append(f'{where}: "{name}": {why}')
    return problems


def sources(folder):
    return sorted(p for p in folder.rglob("*") if p.suffix in (".h", ".cpp", ".c"))


def main():
    modules = window_modules()
    problems = []
    for path in sources(SRC):
        problems += check(path, [SRC], src_rule, layer(path) not in ("seam", "core"), modules)

    def core_test_rule(path, target):
        if target.is_relative_to(TESTS / "fakes"):
            return None
        if target.is_relative_to(SRC) and layer(target) in ("seam", "core"):
            return None
        return "a unit test of core includes what is not core, the seam or a test helper"

    for path in sources(TESTS / "core"):
        problems += check(path, [TESTS, SRC], core_test_rule, False, modules)
    for problem in problems:
        print(problem)
    checked = len(sources(SRC)) + len(sources(TESTS / "core"))
    if problems:
        print(f"check-layers: {len(problems)} includes break the layers")
        return 1
    print(f"check-layers: the includes of {checked} files keep to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
