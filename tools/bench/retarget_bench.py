#!/usr/bin/python3
"""Retarget benchmark: `plughost retarget` of a 500,000-note keyswitched
file against `plughost render` of the same part, timed in the same run.

    tools/bench/retarget_bench.py [--runs N]

The coloured part is make_large_midi.py's file (500,000 notes in sixteen
colours). Rendering it with sixteen_slots.json gives the keyswitched part:
the same notes, each articulation selected by its keyswitch, UACC and
modwheel messages. Each round then times, alternating, a render of the
coloured part and a retarget of the keyswitched part from
sixteen_slots.json to sixteen_slots.json (colour and render in one pass),
each a whole `wine plughost.exe` process on one virtual display with one
wine server. The target: the median retarget within twice the median
render. The render must play all 500,000 notes; the retarget plays every
note it reads, which is all but those on the sixteen keyswitch keys (12 to
27), read as keyswitches (about 5 %).
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import render_bench  # noqa: E402  (building plughost, paths)

WORK = os.path.join(render_bench.ROOT, "build", "retarget-bench")
MAP = render_bench.MAP


def timed(exe, *args):
    """Runs one plughost process: (seconds, its output). The output goes
    through a file: wine's helper processes may hold a pipe open."""
    log = os.path.join(WORK, args[0] + ".out")
    with open(log, "w+") as out:
        start = time.monotonic()
        status = subprocess.run(["wine", exe, *args], stdout=out, stderr=subprocess.STDOUT).returncode
        seconds = time.monotonic() - start
        out.seek(0)
        text = out.read()
    if status != 0:
        sys.exit(f"retarget_bench: plughost {args[0]} failed:\n{text}")
    return seconds, text


def count(stdout, label):
    for line in stdout.splitlines():
        if line.strip().startswith(label + ":"):
            return int(line.split(":")[1].split()[0])
    return -1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    os.environ.setdefault("WINEPREFIX", os.path.join(render_bench.ROOT, "build", "wineprefix"))
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    os.makedirs(WORK, exist_ok=True)

    print("== building this tree's plughost", flush=True)
    exe = os.path.join(render_bench.build_plughost(render_bench.ROOT), "plughost.exe")
    coloured = os.path.join(WORK, "large.mid")
    if not os.path.exists(coloured) or \
            os.path.getmtime(render_bench.GENERATOR) > os.path.getmtime(coloured):
        print("== generating the coloured part", flush=True)
        render_bench.run("/usr/bin/python3", render_bench.GENERATOR, coloured)
    subprocess.run(["wineserver", "-p", "60"])  # fails when one runs already: fine
    timed(exe, "describe")  # wine's own libraries into memory
    keyswitched = os.path.join(WORK, "keyswitched.mid")
    print("== rendering the keyswitched part", flush=True)
    timed(exe, "render", MAP, coloured, keyswitched)

    times = {"render": [], "retarget": []}
    rendered, retargeted = os.path.join(WORK, "render.mid"), os.path.join(WORK, "retarget.mid")
    print(f"== {args.runs} rounds: render {coloured}, retarget {keyswitched}")
    for _ in range(args.runs):
        seconds, out = timed(exe, "render", MAP, coloured, rendered)
        if count(out, "notes in") != 500000:
            sys.exit(f"retarget_bench: render played {count(out, 'notes in')} notes, not 500000")
        times["render"].append(seconds)
        print(f"  render    {seconds:7.2f} s", flush=True)
        seconds, out = timed(exe, "retarget", MAP, MAP, keyswitched, retargeted)
        read, played = count(out, "notes read"), count(out, "notes in")
        if read != played or read < 450000:
            sys.exit(f"retarget_bench: retarget read {read} notes and played {played}")
        times["retarget"].append(seconds)
        print(f"  retarget  {seconds:7.2f} s", flush=True)

    render_s = statistics.median(times["render"])
    retarget_s = statistics.median(times["retarget"])
    ratio = retarget_s / render_s
    print("== median times")
    print(f"  render    {render_s:7.2f} s")
    print(f"  retarget  {retarget_s:7.2f} s")
    print(f"  ratio     {ratio:7.2f}   (target: at most 2)")
    met = ratio <= 2
    print("retarget_bench: target " + ("met" if met else "NOT met"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
