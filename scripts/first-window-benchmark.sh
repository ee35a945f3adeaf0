#!/usr/bin/env bash
# Start to the first window as a person sees it: from the launch of wine to
# the first window mapped on the X display, for the smallest windowed program
# and for the client's team window. Cold: no Wine server runs before the
# launch, as at the first start of a session; warm: the server (and Wine's
# desktop) already run, as the tests have it. A benchmark, not a test: it
# prints the medians. Needs a build (scripts/build.sh) and xev (x11-utils).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANEL_BUILD:-$here/build}
runs=${1:-7}
command -v xev >/dev/null || apt-get install -y -qq x11-utils >/dev/null
source "$here/scripts/wine-env.sh"
ensure_display
ensure_prefix
start_wineserver
trap 'stop_wineserver; stop_display' EXIT
python3 - "$wine_cmd" "$runs" "$build/tests/e2e/plain_window.exe" "$here/dist/bin/Corvanel.exe" <<'PY'
import os, re, select, statistics, subprocess, sys, time

wine, runs, programs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
SMALLEST = 50  # pixels a side: Wine's helper windows are smaller or never mapped

def stop_wine_server():
    subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)

def time_to_first_window(exe, cold):
    if cold:
        stop_wine_server()
    # xev reports every window created, resized and mapped on the root.
    xev = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                           stdout=subprocess.PIPE)
    time.sleep(0.3)  # until it listens
    sizes, event, pending = {}, None, b""
    started = time.monotonic()
    program = subprocess.Popen([wine, exe], cwd=os.path.dirname(exe),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = None
    try:
        while elapsed is None and time.monotonic() - started < 30:
            ready, _, _ = select.select([xev.stdout], [], [], 0.5)
            if not ready:
                continue
            # Read what is there, unbuffered: a buffered reader would keep
            # lines that select() no longer reports.
            pending += os.read(xev.stdout.fileno(), 65536)
            now = time.monotonic()
            *lines, pending = pending.split(b"\n")
            for line in (raw.decode(errors="replace") for raw in lines):
                if line.endswith("event, serial") or " event, serial " in line:
                    event = line.split()[0]
                sized = re.search(r"window (0x[0-9a-f]+), \(-?\d+,-?\d+\), width (\d+), height (\d+)", line)
                if sized and event in ("CreateNotify", "ConfigureNotify"):
                    sizes[sized.group(1)] = (int(sized.group(2)), int(sized.group(3)))
                mapped = re.search(r"event 0x[0-9a-f]+, window (0x[0-9a-f]+), override", line)
                if mapped and event == "MapNotify" and elapsed is None:
                    width, height = sizes.get(mapped.group(1), (0, 0))
                    if width >= SMALLEST and height >= SMALLEST:
                        elapsed = (now - started) * 1000
    finally:
        program.kill()
        program.wait()
        xev.kill()
        xev.wait()
    time.sleep(0.5)
    return elapsed

for cold in (True, False):
    print("cold start, no Wine server running:" if cold else "warm start, the Wine server running:")
    if not cold:
        subprocess.run(["wineserver", "-p"], stderr=subprocess.DEVNULL)
        # Not counted: the first warm run starts Wine's desktop.
        for exe in programs:
            time_to_first_window(exe, cold)
    # The programs take turns, so that both meet the same load of the machine.
    times = {exe: [] for exe in programs}
    for _ in range(runs):
        for exe in programs:
            elapsed = time_to_first_window(exe, cold)
            if elapsed is not None:
                times[exe].append(elapsed)
    medians = []
    for exe in programs:
        median = statistics.median(times[exe]) if times[exe] else float("nan")
        medians.append(median)
        print(f"  {os.path.basename(exe)}: median {median:.0f} ms of {len(times[exe])} runs "
              f"({', '.join(f'{t:.0f}' for t in times[exe])})", flush=True)
    print(f"  ratio: {medians[1] / medians[0]:.2f}", flush=True)
PY
