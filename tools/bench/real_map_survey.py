#!/usr/bin/env python3
"""How real maps of other programs fare through plughost's import.

Usage: tools/bench/real_map_survey.py PLUGHOST.exe FOLDER [FOLDER...]

Every file under the folders is listed (import --list), then each bank that
can be imported is imported in turns of up to 16 visible articulations
(--pick), so that every articulation is tried. Prints:
  - files read, files whose every bank imports, banks imported;
  - articulations that keep every output (no warning names one of their
    outputs), and those with no warning at all;
  - warnings and notes by kind.
Run it with two builds of plughost on the same folders to compare them. It
runs plughost through wine with the worktree's prefix and no display (import
opens no window).
"""
import collections
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PREFIX = os.path.join(HERE, "..", "..", "build", "wineprefix")

# Warning texts (after "dropped ") that say an output is not sent as the
# file means it; everything else is about settings or display.
OUTPUT_KINDS = [
    ("a second note", re.compile(r"a second note")),
    ("CC other than 32 and 1", re.compile(r"\(CC \d+; a slot sends only")),
    ("second CC 32 or CC 1", re.compile(r"a second CC")),
    ("program change", re.compile(r"\(program change\)")),
    ("pitch bend", re.compile(r"\(pitch bend\)")),
    ("channel routing", re.compile(r"\(channel routing\)")),
    ("output channel", re.compile(r"^dropped channel ")),
    ("held note", re.compile(r"^dropped the holding")),
    ("keyswitch velocity", re.compile(r"^dropped velocity \d+ of")),
    ("beyond the actions a slot holds", re.compile(r"a slot sends at most \d+ actions")),
    ("output to the previous articulation's channel", re.compile(r"\(@-\)")),
    ("bus or %program condition", re.compile(r"^dropped bus|the condition %")),
    ("other output", re.compile(r'^dropped "[^"]+"$')),
]
OTHER_KINDS = [
    ("colour", re.compile(r"^dropped colour")),
    ("group", re.compile(r"^dropped group|in group \d")),
    ("display name", re.compile(r"^dropped display name")),
    ("message", re.compile(r"^dropped message")),
    ("remote or input key", re.compile(r"remote|input switch|InputMidiChannel|OctaveOffset")),
    ("further visual", re.compile(r"further articulation")),
    ("icon without a match", re.compile(r"^dropped icon")),
    ("flags", re.compile(r"^dropped flags")),
    ("transpose / velocity / ranges", re.compile(
        r"transpose|velocityFact|lengthFact|velocity range|pitch range|velrange|pitchrange|"
        r"^dropped velocity=")),
    ("switch-off action", re.compile(r"switch-off action")),
    ("hidden, left out", re.compile(r"left out, as its program hides it")),
    ("name changed", re.compile(r"^name")),
    ("list spacer", re.compile(r"spacer=")),
    ("bank setting", re.compile(r"^bank ")),
]
LINE = re.compile(r"^plughost: (warning|note|error): (.*)$")


def kind_of(text):
    for name, pattern in OUTPUT_KINDS:
        if pattern.search(text):
            return name, True
    for name, pattern in OTHER_KINDS:
        if pattern.search(text):
            return name, False
    return "other", False


def run(plughost, args):
    env = dict(os.environ, WINEPREFIX=os.path.abspath(PREFIX), WINEDEBUG="-all")
    env.pop("DISPLAY", None)
    done = subprocess.run(["wine", plughost] + args, capture_output=True, text=True,
                          errors="replace", env=env)
    return done.returncode, done.stdout, done.stderr


def banks_of(listing):
    """(name, problem, [(index, hidden)]) per bank of an import --list."""
    banks = []
    for line in listing.splitlines():
        bank = re.match(r'^bank "(.*?)"(?: \(".*"\))?, \d+ articulations(?:; cannot be imported: (.*))?$',
                        line)
        if bank:
            banks.append((bank.group(1), bank.group(2), []))
            continue
        art = re.match(r"^\s*(\d+)  (.*)$", line)
        if art and banks:
            banks[-1][2].append((int(art.group(1)), "  [hidden]" in art.group(2)))
    return banks


def survey(plughost, files):
    totals = collections.Counter()
    kinds = collections.Counter()
    out = os.path.join(tempfile.mkdtemp(), "survey.json")
    for path in files:
        totals["files"] += 1
        status, listing, errors = run(plughost, ["import", path, "--list"])
        if status != 0:
            kinds["refused: " + errors.strip().split(": ", 2)[-1][:60]] += 1
            continue
        totals["files read"] += 1
        whole = True
        for name, problem, articulations in banks_of(listing):
            visible = [i for i, hidden in articulations if not hidden]
            totals["banks"] += 1
            totals["articulations"] += len(visible)
            if problem:
                whole = False
                kinds["bank cannot be imported"] += 1
                continue
            bank_ok = True
            seen = set()  # lines about the bank as a whole come with every turn
            for start in range(0, len(visible), 16):
                chunk = visible[start:start + 16]
                status, _, errors = run(plughost, ["import", path, out, "--bank", name, "--pick",
                                                   ",".join(map(str, chunk))])
                if status != 0:
                    bank_ok = False
                    kinds["import error: " + errors.strip().split(": ")[-1][:60]] += 1
                    continue
                losing, warned = set(), set()
                for line in errors.splitlines():
                    match = LINE.match(line)
                    if not match or line in seen:
                        continue
                    seen.add(line)
                    text = match.group(2)
                    where = re.search(r'\((line \d+|slot \d+|Articulations\[\d+\]|combination \d+)\): (.*)$',
                                      text)
                    detail = where.group(2) if where else text.split(": ", 1)[-1]
                    kind, is_output = kind_of(detail)
                    kinds[match.group(1) + ": " + kind] += 1
                    if match.group(1) == "warning" and where:
                        warned.add(where.group(1))
                    if is_output and match.group(1) == "warning" and where:
                        losing.add(where.group(1))
                totals["articulations imported"] += len(chunk)
                totals["articulations keeping every output"] += len(chunk) - len(losing)
                totals["articulations without a warning"] += len(chunk) - len(warned)
            totals["banks imported"] += bank_ok
            whole = whole and bank_ok
        totals["files imported whole"] += whole
    return totals, kinds


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    files = sorted(os.path.join(root, f) for folder in sys.argv[2:]
                   for root, _, names in os.walk(folder) for f in names
                   if not f.endswith((".py", ".tsv", ".md")))
    totals, kinds = survey(sys.argv[1], files)
    for key in ["files", "files read", "files imported whole", "banks", "banks imported",
                "articulations", "articulations imported", "articulations keeping every output",
                "articulations without a warning"]:
        print(f"{key:40} {totals[key]}")
    print("by kind (lines; imports in turns of up to 16 articulations):")
    for kind, count in sorted(kinds.items()):
        print(f"  {count:6}  {kind}")


if __name__ == "__main__":
    main()
