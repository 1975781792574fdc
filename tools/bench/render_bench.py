#!/usr/bin/python3
"""Render benchmark: `plughost render` of a 500,000-note, 16-colour file
(make_large_midi.py, mapped by sixteen_slots.json), this tree's plughost
against a baseline commit's, timed in the same run on the same file.

    tools/bench/render_bench.py [--runs N] [--baseline COMMIT]
    tools/bench/render_bench.py --compensate [--runs N]

--runs (default 3) renders per program, alternating. --baseline (default
the commit before the render was reworked) is built once in a temporary
git worktree; its programs are kept in build/render-bench/. Each render is
a whole `wine plughost.exe render ...` process, all on one virtual display
with one wine server: its wall time, and its peak resident set size as the
kernel counts it for that process (ru_maxrss from wait4). This tree's
plughost also reports its own peak working set (--stats). Every output must
be byte for byte the output the render test pins.

--compensate times, instead, this tree's `render --compensate` against its
plain `render` of the same file, alternating in the same run, with the map
given latencies from 0 to 300 ms (written to build/render-bench/); the
plain render's output must still be the pinned one.
"""
import argparse
import hashlib
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(ROOT, "build", "render-bench")
BEFORE_REWORK = "ae01755e7671d563a802ad4315297dd4d71cab5c"
MAP = os.path.join(ROOT, "tools", "bench", "sixteen_slots.json")
GENERATOR = os.path.join(ROOT, "tools", "bench", "make_large_midi.py")
JOBS = os.environ.get("JOBS", "2")


def run(*args, cwd=ROOT):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def build_plughost(source):
    if not os.path.exists(os.path.join(source, "build", "win32", "CMakeCache.txt")):
        run("cmake", "--preset", "win32", cwd=source)
    run("cmake", "--build", "build/win32", "--target", "plughost", "-j", JOBS, cwd=source)
    return os.path.join(source, "build", "win32", "bin")


def baseline_plughost(commit):
    kept = os.path.join(WORK, "baseline-" + commit[:12])
    exe = os.path.join(kept, "plughost.exe")
    if os.path.exists(exe):
        return exe
    print(f"== building the baseline's plughost ({commit[:12]}), once", flush=True)
    source = os.path.join(WORK, "src-" + commit[:12])
    shutil.rmtree(source, ignore_errors=True)
    run("git", "worktree", "prune")
    run("git", "worktree", "add", "--detach", source, commit)
    try:
        # The font the build puts beside the programs: the package file this
        # tree already has, so nothing is downloaded again.
        packs = os.path.join(ROOT, "build", "npm-cache", "packs")
        if os.path.isdir(packs):
            shutil.copytree(packs, os.path.join(source, "build", "npm-cache", "packs"))
        shutil.copytree(build_plughost(source), kept)
    finally:
        run("git", "worktree", "remove", "--force", source)
    return exe


def pinned_hash():
    with open(os.path.join(ROOT, "tests", "plughost", "test_render.py")) as f:
        return re.search(r'LARGE_OUTPUT_SHA256 = "([0-9a-f]{64})"', f.read()).group(1)


def render(exe, options, source, out, settings=MAP):
    """One render process: (seconds, peak RSS in MB, its self-report)."""
    command = ["wine", exe, *options, "render", settings, source, out]
    start = time.monotonic()
    # Both outputs to files: wine takes /dev/null, a character device, for a
    # console and writes to it line by line through its server, a cost of
    # milliseconds a line that grows with the summary, not with the render.
    with open(out + ".stdout", "w") as summary, open(out + ".stderr", "w+") as err:
        child = subprocess.Popen(command, stdout=summary, stderr=err)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.monotonic() - start
        err.seek(0)
        report = re.search(r"plughost stats: (.*)", err.read())
    if status != 0:
        sys.exit(f"render_bench: {exe} failed (status {status}); see {out}.stderr")
    return seconds, usage.ru_maxrss / 1024, report.group(1) if report else ""


def latency_map():
    """sixteen_slots.json with latencies of 0 to 300 ms, slot by slot."""
    with open(MAP) as f:
        settings = json.load(f)
    for i, slot in enumerate(settings["slots"]):
        slot["latency"] = (i * 70) % 301
    path = os.path.join(WORK, "sixteen_slots_latencies.json")
    with open(path, "w") as f:
        json.dump(settings, f, indent=1)
    return path


def compare_compensated(current, source, runs):
    """render --compensate against render, both this tree's, one run."""
    settings = latency_map()
    pinned = pinned_hash()
    results = {"render": [], "compensate": []}
    print(f"== {runs} renders each of {source}, with {settings}")
    for _ in range(runs):
        for name, options in (("render", ["--stats"]), ("compensate", ["--stats", "--compensate"])):
            out = os.path.join(WORK, f"out-{name}.mid")
            seconds, mb, report = render(current, options, source, out, settings)
            if name == "render":
                with open(out, "rb") as f:
                    if hashlib.sha256(f.read()).hexdigest() != pinned:
                        sys.exit("render_bench: render wrote other bytes than the render test pins")
            results[name].append((seconds, mb))
            print(f"  {name:10} {seconds:7.2f} s  peak RSS {mb:6.1f} MB  {report}", flush=True)
    plain = statistics.median(s for s, _ in results["render"])
    moved = statistics.median(s for s, _ in results["compensate"])
    ratio = moved / plain
    print("== median time, largest peak RSS")
    for name in results:
        print(f"  {name:10} {statistics.median(s for s, _ in results[name]):7.2f} s  "
              f"{max(mb for _, mb in results[name]):6.1f} MB")
    print(f"  ratio      {ratio:7.2f}x   (target: at most 1.2x)")
    print("render_bench: target " + ("met" if ratio <= 1.2 else "NOT met"))
    return 0 if ratio <= 1.2 else 1


def prepared_input(current):
    """The large input, generated when missing or older than its generator,
    with wine started and its libraries read before anything is timed."""
    source = os.path.join(WORK, "large.mid")
    if not os.path.exists(source) or os.path.getmtime(GENERATOR) > os.path.getmtime(source):
        print("== generating the input", flush=True)
        run("/usr/bin/python3", GENERATOR, source)
    subprocess.run(["wineserver", "-p", "60"])  # fails when one runs already: fine
    # No pipes: wine's helper processes would hold them open after it ends.
    subprocess.run(["wine", current, "describe"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return source


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--baseline", default=BEFORE_REWORK)
    parser.add_argument("--compensate", action="store_true",
                        help="time render --compensate against render, both of this tree")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    os.makedirs(WORK, exist_ok=True)

    print("== building this tree's plughost", flush=True)
    current = os.path.join(build_plughost(ROOT), "plughost.exe")
    if args.compensate:
        return compare_compensated(current, prepared_input(current), args.runs)
    commit = subprocess.run(["git", "rev-parse", "--verify", args.baseline + "^{commit}"],
                            cwd=ROOT, check=True, capture_output=True, text=True).stdout.strip()
    baseline = baseline_plughost(commit)

    source = prepared_input(current)

    pinned = pinned_hash()
    results = {"baseline": [], "current": []}
    print(f"== {args.runs} renders each of {source} ({os.path.getsize(source)} bytes)")
    for _ in range(args.runs):
        for name, exe, options in (("baseline", baseline, []), ("current", current, ["--stats"])):
            out = os.path.join(WORK, f"out-{name}.mid")
            seconds, mb, report = render(exe, options, source, out)
            with open(out, "rb") as f:
                if hashlib.sha256(f.read()).hexdigest() != pinned:
                    sys.exit(f"render_bench: {name} wrote other bytes than the render test pins")
            results[name].append((seconds, mb))
            print(f"  {name:9} {seconds:7.2f} s  peak RSS {mb:6.1f} MB  {report}", flush=True)

    old_s = statistics.median(s for s, _ in results["baseline"])
    new_s = statistics.median(s for s, _ in results["current"])
    old_mb = max(mb for _, mb in results["baseline"])
    new_mb = max(mb for _, mb in results["current"])
    ratio = old_s / new_s
    print("== median time, largest peak RSS")
    print(f"  baseline  {old_s:7.2f} s  {old_mb:6.1f} MB   ({commit[:12]})")
    print(f"  current   {new_s:7.2f} s  {new_mb:6.1f} MB")
    print(f"  speed-up  {ratio:7.1f}x   (target: at least 10x)")
    print(f"  memory    {new_mb:7.1f} MB (target: at most 64 MB)")
    met = ratio >= 10 and new_mb <= 64
    print("render_bench: targets " + ("met" if met else "NOT met"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
