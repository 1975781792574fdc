"""Running plughost through wine and reading what it writes, for the tests.

The environment names the program and the folders (CTest sets them):
PLUGHOST_EXE, PLUGHOST_WINE_RUN, PLUGHOST_EXAMPLES, PLUGHOST_WORK.
"""
import json
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import mido

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
EXE = os.environ.get("PLUGHOST_EXE", os.path.join(ROOT, "build/win32/bin/plughost.exe"))
WINE_RUN = os.environ.get("PLUGHOST_WINE_RUN", os.path.join(ROOT, "scripts/wine-run"))
EXAMPLES = os.environ.get("PLUGHOST_EXAMPLES", os.path.join(ROOT, "examples"))
WORK = os.environ.get("PLUGHOST_WORK", os.path.join(ROOT, "build/plughost-tests"))

CONTROLLER_NAMES = ["Dynamics", "Breath", "Expression", "Speed", "Vibrato", "Hold"]
CONTROLLER_CCS = [1, 2, 11, 16, 21, 64]
PAGES = ["articulation", "controllers", "settings"]
NOTE_NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def note_name(n):
    return f"{NOTE_NAMES[n % 12]}{n // 12 - 2}"


def note_number(name):
    if isinstance(name, int):
        return name
    letter = NOTE_NAMES.index(name[0].upper())
    rest = name[1:]
    if rest[:1] in ("#", "b"):
        letter += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return letter + 12 * (int(rest) + 2)


class Run:
    def __init__(self, completed):
        self.code = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr

    def __repr__(self):
        return f"exit {self.code}\n--- stdout\n{self.out}\n--- stderr\n{self.err}"


def plughost(*args, cwd=None):
    """Runs plughost with the arguments; relative paths are taken from cwd."""
    completed = subprocess.run([WINE_RUN, EXE, *args], cwd=cwd, capture_output=True, text=True,
                               timeout=240)
    return Run(completed)


class PlughostTest(unittest.TestCase):
    """Each test gets an empty folder of its own to work in."""

    def setUp(self):
        os.makedirs(WORK, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=self.id().split(".")[-1] + "-", dir=WORK)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def refused(self, args, code, *words):
        """Runs plughost expecting exit `code`, each word in its message,
        and no file written, not even a temporary."""
        before = self.files()
        run = plughost(*args, cwd=self.dir)
        self.assertEqual(run.code, code, run)
        for w in words:
            self.assertIn(w, run.err)
        self.assertEqual(self.files(), before, "no file written, no temporary left")
        return run

    def run_ok(self, *args):
        run = plughost(*args, cwd=self.dir)
        self.assertEqual(run.code, 0, run)
        return run

    def write_json(self, name, value):
        with open(self.path(name), "w", encoding="utf-8") as f:
            json.dump(value, f, indent=2, ensure_ascii=False)
            f.write("\n")
        return name

    def read_bytes(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def files(self):
        return sorted(os.listdir(self.dir))


def contents(folder):
    """Every file below the folder: its path relative to it, and its bytes."""
    out = {}
    for top, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(top, name), "rb") as f:
                out[os.path.relpath(os.path.join(top, name), folder)] = f.read()
    return out


# --- The state, written here from its documented layout, independently of
# the program under test.

def default_map():
    return {"channel": 1, "port": 0,
            "options": {"ccGhosting": False, "preservePortChannel": False},
            "controllers": dict(zip(CONTROLLER_NAMES, [127, 127, 127, 127, 127, 0])),
            "page": "controllers", "selectedSlot": 1, "slots": []}


def state_from_map(m):
    full = default_map()
    full.update(m)
    slots = {s["slot"]: s for s in full["slots"]}
    options = dict(default_map()["options"], **full["options"])
    controllers = dict(default_map()["controllers"], **full["controllers"])

    def field(slot, key, default):
        value = slots.get(slot, {}).get(key)
        return default if value is None else value

    words = [5, full["channel"] - 1, full["port"], int(options["ccGhosting"]), 0,
             int(options["preservePortChannel"])]
    words += [note_number(field(i, "keyswitch", -1)) for i in range(1, 17)]
    words += [field(i, "uacc", -1) for i in range(1, 17)]
    words += [field(i, "modwheel", -1) for i in range(1, 17)]
    words += [field(i, "icon", 55) for i in range(1, 17)]
    out = struct.pack("<%di" % len(words), *words)
    for i in range(1, 17):
        name = field(i, "name", "").encode("cp1252")
        out += struct.pack("<H", len(name)) + name
    out += struct.pack("<H", 6)
    out += struct.pack("<6i", *[controllers[n] for n in CONTROLLER_NAMES])
    out += struct.pack("<2i", PAGES.index(full["page"]), full["selectedSlot"] - 1)
    return out


# --- MIDI

def write_midi(path, tracks, ticks_per_beat=480, type=1):
    """tracks: lists of (absolute tick, mido message)."""
    f = mido.MidiFile(type=type, ticks_per_beat=ticks_per_beat)
    for events in tracks:
        track = mido.MidiTrack()
        now = 0
        for tick, message in events:
            track.append(message.copy(time=tick - now))
            now = tick
        f.tracks.append(track)
    f.save(path)


def read_track(path, index):
    """(absolute tick, message) of one track, End of Track left out."""
    f = mido.MidiFile(path)
    now, out = 0, []
    for message in f.tracks[index]:
        now += message.time
        if message.type != "end_of_track":
            out.append((now, message))
    return f, out


def sent(path):
    """What the plug-in sent, from a rendered file: (tick, bytes) in order,
    with port changes as ('port', n)."""
    f, events = read_track(path, 1)
    out = []
    for tick, m in events:
        if m.is_meta:
            if m.type == "midi_port":
                out.append((tick, ("port", m.port)))
            continue
        out.append((tick, tuple(m.bytes())))
    return f, out


def render_start(channel=0, pan=64, volume=100, controllers=(127, 127, 127, 127, 127, 0)):
    """What a render writes before the first event, as bytes: the full
    controller broadcast of a playback start, whose pan and volume are the
    host's as it reports them just before (written once)."""
    cc = 0xB0 | channel
    out = [(cc, 10, pan), (cc, 7, volume), (0xE0 | channel, 0, 64)]
    out += [(cc, n, v) for n, v in zip(CONTROLLER_CCS, controllers)]
    return out
