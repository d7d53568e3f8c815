#!/usr/bin/env python3
"""Start-up benchmark of the Windows build under Wine: velkor.exe against bare_window.exe, the
same bare Qt window built for Windows, in a real prefix that holds the game's key.

Each run starts the program with wine and ends it once a visible window of its name is on the X
screen; the time is from the start to that window, polled every 5 ms; the memory is the peak
resident set of the program's process (VmHWM) at that moment. The prefix's wineserver is kept
running throughout, so that the figures are the program's start, not Wine's. Prints medians and
the ratios. A benchmark, not a test: it never fails on the figures.
"""

import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def visible_window(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def peak_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run(command, name, env):
    """Seconds to the visible window, the peak RSS in KiB then, and the window's size; None and
    what was seen when no such window showed within a minute."""
    start = time.perf_counter()
    process = subprocess.Popen(["wine"] + command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = None
    while window is None and time.perf_counter() - start < 60 and process.poll() is None:
        window = visible_window(name)
        if window is None:
            time.sleep(0.005)
    elapsed = time.perf_counter() - start
    if window is None:
        process.kill()
        process.wait()
        shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                               capture_output=True, text=True).stdout.split()
        names = [subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                                text=True).stdout.strip() for w in shown]
        return None, f"{command[0]} showed no window named {name} (exit {process.returncode}; " \
                     f"windows shown: {names})"
    peak = peak_kib(process.pid)
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True).stdout
    process.send_signal(signal.SIGKILL)
    process.wait()
    # The next run must not find this one's window.
    while visible_window(name):
        time.sleep(0.01)
    size = dict(line.split("=") for line in geometry.split())
    return elapsed, peak, (int(size["WIDTH"]), int(size["HEIGHT"]))


def measured(command, name, env):
    """As run(), once more when a start shows no window: on a loaded machine a start under Wine
    has now and then stalled past the bound, which says nothing of the program's own start. Two
    in a row end the benchmark."""
    for attempt in (1, 2):
        result = run(command, name, env)
        if result[0] is not None:
            return result
        print(f"startup_wine: {result[1]}" + ("; trying once more" if attempt == 1 else ""),
              file=sys.stderr)
    sys.exit(result[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="folder with velkor.exe and bare_window.exe")
    parser.add_argument("--make-prefix", required=True, help="tests/wine/make_prefix.sh")
    parser.add_argument("--rounds", type=int, default=10)
    args = parser.parse_args()
    velkor = os.path.join(os.path.abspath(args.build), "velkor.exe")
    bare_exe = os.path.join(os.path.abspath(args.build), "bare_window.exe")

    with tempfile.TemporaryDirectory(prefix="velkor-bench-wine-") as root:
        subprocess.run(["bash", args.make_prefix, root], check=True, stdout=subprocess.DEVNULL)
        env = dict(os.environ, WINEPREFIX=os.path.join(root, "prefix"), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        server = subprocess.Popen(["wineserver", "--persistent", "--foreground"], env=env)
        try:
            # A first run of each warms the caches and gives Velkor's window size.
            _, _, size = measured([velkor], "Velkor", env)
            bare = [bare_exe, str(size[0]), str(size[1])]
            measured(bare, "Bare", env)
            programs = (("velkor", [velkor], "Velkor"), ("bare", bare, "Bare"))
            times = {name: [] for name, _, _ in programs}
            peaks = {name: [] for name, _, _ in programs}
            for _ in range(args.rounds):
                for name, command, title in programs:
                    elapsed, peak, _ = measured(command, title, env)
                    times[name].append(elapsed)
                    peaks[name].append(peak)
        finally:
            subprocess.run(["wineserver", "-k"], env=env)
            server.wait()

    t = {k: statistics.median(v) for k, v in times.items()}
    m = {k: statistics.median(v) for k, v in peaks.items()}
    print(f"velkor.exe under Wine, start to window visible, {args.rounds} rounds alternating, "
          f"window {size[0]}x{size[1]}, wineserver kept running")
    for name, _, _ in programs:
        print(f"  {name:6}  time median {t[name] * 1000:7.1f} ms (min {min(times[name]) * 1000:.1f}, "
              f"max {max(times[name]) * 1000:.1f})   peak RSS median {m[name] / 1024:6.1f} MiB")
    print(f"  ratio   time {t['velkor'] / t['bare']:.2f}x   memory {m['velkor'] / m['bare']:.2f}x")


if __name__ == "__main__":
    main()
