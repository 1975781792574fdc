#!/usr/bin/python3
"""Render benchmark: `plughost render` of a 500,000-note, 16-colour file
(make_large_midi.py, mapped by sixteen_slots.json), this tree's plughost
against a baseline commit's, timed in the same run on the same file.

    tools/bench/render_bench.py [--runs N] [--baseline COMMIT]

--runs (default 3) renders per program, alternating. --baseline (default
the commit before the render was reworked) is built once in a temporary
git worktree; its programs are kept in build/render-bench/. Each render is
a whole `wine plughost.exe render ...` process, all on one virtual display
with one wine server: its wall time, and its peak resident set size as the
kernel counts it for that process (ru_maxrss from wait4). This tree's
plughost also reports its own peak working set (--stats). Every output must
be byte for byte the output the render test pins.
"""
import argparse
import hashlib
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


def render(exe, options, source, out):
    """One render process: (seconds, peak RSS in MB, its self-report)."""
    command = ["wine", exe, *options, "render", MAP, source, out]
    start = time.monotonic()
    with open(out + ".stderr", "w+") as err:
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=err)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.monotonic() - start
        err.seek(0)
        report = re.search(r"plughost stats: (.*)", err.read())
    if status != 0:
        sys.exit(f"render_bench: {exe} failed (status {status}); see {out}.stderr")
    return seconds, usage.ru_maxrss / 1024, report.group(1) if report else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--baseline", default=BEFORE_REWORK)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    os.makedirs(WORK, exist_ok=True)

    print("== building this tree's plughost", flush=True)
    current = os.path.join(build_plughost(ROOT), "plughost.exe")
    commit = subprocess.run(["git", "rev-parse", "--verify", args.baseline + "^{commit}"],
                            cwd=ROOT, check=True, capture_output=True, text=True).stdout.strip()
    baseline = baseline_plughost(commit)

    source = os.path.join(WORK, "large.mid")
    if not os.path.exists(source) or os.path.getmtime(GENERATOR) > os.path.getmtime(source):
        print("== generating the input", flush=True)
        run("/usr/bin/python3", GENERATOR, source)
    subprocess.run(["wineserver", "-p", "60"])  # fails when one runs already: fine
    # Wine's own libraries into memory before anything is timed.
    subprocess.run(["wine", current, "describe"], capture_output=True)

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
