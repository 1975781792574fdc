"""Rendering: a MIDI file of coloured notes through the plug-in, checked
message by message with mido."""
import hashlib
import os
import re
import subprocess
import sys
import unittest

import mido

from plughost_support import (EXAMPLES, HERE, ROOT, PlughostTest, read_track, render_start, sent,
                              write_midi)

BENCH = os.path.join(ROOT, "tools", "bench")
# What the renderer wrote before it was made fast, with the host's pan and
# volume reported before playback (written once, where playback start
# repeats them) and a note-off ending every note of its key: the example
# phrase in full, and the SHA-256 of the large benchmark file's output,
# whose random notes overlap on one key 13,829 times.
PHRASE_REFERENCE = os.path.join(HERE, "reference", "phrase_strings.mid")
LARGE_OUTPUT_SHA256 = "a50219b1e15d6ba82130c30b454a17a6b92cdd1215a6a32188c5444054ce9790"

ON, OFF, CC = 0x90, 0x80, 0xB0


def note_on(ch, note, vel):
    return mido.Message("note_on", channel=ch, note=note, velocity=vel)


def note_off(ch, note):
    return mido.Message("note_off", channel=ch, note=note, velocity=64)


def cc(ch, control, value):
    return mido.Message("control_change", channel=ch, control=control, value=value)


def tempo(bpm):
    return mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(bpm))


# Shown channel 3 (status low nibble 2), port 5. Slot 1 (colour 0) selects by
# keyswitch, UACC and modwheel; slot 2 (colour 1) by keyswitch only; slot 4
# (colour 3) by UACC only.
MAP = {"channel": 3, "port": 5,
       "controllers": {"Dynamics": 90, "Expression": 100},
       "slots": [{"slot": 1, "name": "Legato", "keyswitch": "C0", "uacc": 10, "modwheel": 64},
                 {"slot": 2, "name": "Staccato", "keyswitch": "D0"},
                 {"slot": 4, "name": "Pizzicato", "uacc": 56}]}
C = 2  # the map's channel as a status nibble


def summary(run):
    numbers = {}
    for key in ("notes in", "messages out", "keyswitches sent"):
        match = re.search(key + r":\s+(\d+)", run.out)
        numbers[key] = int(match.group(1)) if match else None
    return numbers


class Render(PlughostTest):
    def render(self, settings, tracks, **midi):
        write_midi(self.path("in.mid"), tracks, **midi)
        run = self.run_ok("render", settings, "in.mid", "out.mid")
        return run, sent(self.path("out.mid"))

    def test_known_phrase_gives_exactly_the_expected_messages(self):
        self.write_json("map.json", MAP)
        conductor = [(0, tempo(120)), (960, tempo(60))]
        notes = [
            (0, note_on(0, 60, 100)),      # colour 0: keyswitch C0, UACC 10, modwheel 64
            (100, cc(4, 11, 80)),          # Expression, any input channel: a parameter
            (200, cc(0, 10, 30)),          # pan: a host event
            (210, cc(0, 7, 99)),           # volume: a host event
            (220, cc(0, 74, 5)),           # not the plug-in's: ignored
            (230, mido.Message("pitchwheel", channel=0, pitch=100)),  # ignored
            (240, note_off(0, 60)),
            (240, note_on(0, 62, 90)),     # same colour: nothing re-sent
            (480, note_off(0, 62)),
            (480, note_on(1, 64, 80)),     # colour 1: keyswitch D0 only
            (720, note_on(1, 65, 81)),     # colour 1 again: nothing re-sent
            (720, note_off(1, 64)),
            (960, note_off(1, 65)),
            (960, note_on(3, 67, 70)),     # colour 3: UACC 56 only
            (1000, note_on(0, 69, 71)),    # colour 0: keyswitch C0 again; UACC back to 10
            (1100, note_off(3, 67)),
            (1100, note_off(0, 69)),
            (1200, note_on(0, 67, 60)),    # two voices on one key ...
            (1300, note_on(0, 67, 61)),
            (1400, note_off(0, 67)),       # ... end together at its next note-off
            (1500, note_off(0, 67)),       # the second one's own: nothing left to end
            (1600, note_on(0, 72, 127)),   # never released: ended at stop
            (1920, mido.MetaMessage("end_of_track")),
        ]
        run, (midi, messages) = self.render("map.json", [conductor, notes])
        expected = [(0, ("port", 5))]
        expected += [(0, m) for m in render_start(C, controllers=(90, 127, 100, 127, 127, 0))]
        expected += [
            (0, (ON | C, 24, 127)), (0, (OFF | C, 24, 0)), (0, (CC | C, 32, 10)),
            (0, (CC | C, 1, 64)), (0, (ON | C, 60, 100)),
            (100, (CC | C, 11, 80)),
            (200, (CC | C, 10, 30)),
            (210, (CC | C, 7, 99)),
            (240, (OFF | C, 60, 0)),
            (240, (ON | C, 62, 90)),
            (480, (OFF | C, 62, 0)),
            (480, (ON | C, 26, 127)), (480, (OFF | C, 26, 0)), (480, (ON | C, 64, 80)),
            (720, (ON | C, 65, 81)),
            (720, (OFF | C, 64, 0)),
            (960, (OFF | C, 65, 0)),
            (960, (CC | C, 32, 56)), (960, (ON | C, 67, 70)),
            (1000, (ON | C, 24, 127)), (1000, (OFF | C, 24, 0)), (1000, (CC | C, 32, 10)),
            (1000, (ON | C, 69, 71)),
            (1100, (OFF | C, 67, 0)),
            (1100, (OFF | C, 69, 0)),
            (1200, (ON | C, 67, 60)),
            (1300, (ON | C, 67, 61)),
            (1400, (OFF | C, 67, 0)),
            (1600, (ON | C, 72, 127)),
            (1920, (OFF | C, 72, 0)),
        ]
        self.assertEqual(messages, expected)
        self.assertEqual(summary(run), {"notes in": 9, "messages out": len(expected) - 1,
                                        "keyswitches sent": 3})
        self.assertNotIn("without a sounding note", run.out)
        self.assertIn("overlapping:       1 note began while a note of their key sounded",
                      run.out)
        self.assertIn("    track 2, 1:3.7\n", run.out)  # tick 1300, 480 ticks a beat
        # The output keeps the input's timing: same division, same tempo changes.
        self.assertEqual(midi.ticks_per_beat, 480)
        _, conductor_out = read_track(self.path("out.mid"), 0)
        self.assertEqual([(t, m.tempo) for t, m in conductor_out if m.type == "set_tempo"],
                         [(0, 500000), (960, 1000000)])
        now, last = 0.0, None
        for m in mido.MidiFile(self.path("out.mid")):
            now += m.time
            if not m.is_meta:
                last = now
        # 960 ticks at 120 BPM, then 960 at 60 BPM: the final note-off at 3 s.
        self.assertAlmostEqual(last, 3.0, places=6)

    def test_format_0_with_running_status(self):
        # mido writes running status; this file holds it throughout, note-offs
        # as note-ons of velocity 0.
        self.write_json("map.json", {"slots": [{"slot": 2, "keyswitch": 30}]})
        track = []
        for i in range(4):
            track += [(i * 100, note_on(1, 50 + i, 40 + i)), (i * 100 + 50, note_on(1, 50 + i, 0))]
        run, (_, messages) = self.render("map.json", [track], type=0)
        with open(self.path("in.mid"), "rb") as f:
            raw = f.read()
        self.assertIn(bytes([0x32, 0x32, 0x00]), raw, "running status in the input")
        expected = [(0, m) for m in render_start()]
        expected += [(0, (ON, 30, 127)), (0, (OFF, 30, 0))]
        for i in range(4):
            expected += [(i * 100, (ON, 50 + i, 40 + i)), (i * 100 + 50, (OFF, 50 + i, 0))]
        self.assertEqual(messages, expected)
        self.assertEqual(summary(run)["keyswitches sent"], 1)
        run = self.run_ok("dump-midi", "in.mid")
        self.assertIn("format 0, 1 track, 480 ticks per quarter, 9 events", run.out)

    def test_the_host_reports_pan_and_volume_before_playback(self):
        # Chosen on the command line; the file's own pan still arrives where
        # it stands.
        self.write_json("map.json", {"slots": []})
        write_midi(self.path("in.mid"), [[(0, cc(0, 10, 30)), (5, note_on(0, 60, 100)),
                                          (10, note_off(0, 60))]])
        run = self.run_ok("render", "map.json", "in.mid", "out.mid", "--pan", "0", "--volume",
                          "127")
        _, messages = sent(self.path("out.mid"))
        self.assertEqual(messages, [(0, m) for m in render_start(pan=0, volume=127)] +
                         [(0, (CC, 10, 30)), (5, (ON, 60, 100)), (10, (OFF, 60, 0))])
        self.assertIn("pan and volume:    0 and 127, reported before playback", run.out)
        # The map's slot 1 switches nothing: its note plays in whatever
        # articulation is in force, and the summary says so.
        self.assertIn("empty slot:        1 note of slot 1, which switches nothing", run.out)

    def test_options_and_state_files_are_settings_too(self):
        # CC ghosting silences the playback broadcast and host pan; the
        # settings come from a state file the plug-in wrote.
        self.write_json("map.json", {"channel": 16, "options": {"ccGhosting": True},
                                     "slots": [{"slot": 16, "modwheel": 5}]})
        self.run_ok("map-to-state", "map.json", "map.state")
        run, (_, messages) = self.render("map.state", [[
            (0, cc(0, 10, 64)), (10, note_on(15, 60, 64)), (20, note_off(15, 60))]])
        self.assertEqual(messages, [(10, (CC | 15, 1, 5)), (10, (ON | 15, 60, 64)),
                                    (20, (OFF | 15, 60, 0))])

    def test_the_example_phrase_renders(self):
        run = self.run_ok("render", os.path.join(EXAMPLES, "strings.json"),
                          os.path.join(EXAMPLES, "phrase.mid"), "out.mid")
        numbers = summary(run)
        self.assertEqual(numbers["notes in"], 32)
        self.assertGreaterEqual(numbers["keyswitches sent"], 8)
        _, messages = sent(self.path("out.mid"))
        self.assertEqual(len(messages), numbers["messages out"])
        # Every note-on of the input comes out, with its note and velocity,
        # after its keyswitch.
        source = [m for m in mido.MidiFile(os.path.join(EXAMPLES, "phrase.mid"))
                  if m.type == "note_on" and m.velocity]
        def is_keyswitch(i):
            tick, b = messages[i]
            return (b[2] == 127 and i + 1 < len(messages) and
                    messages[i + 1] == (tick, (OFF, b[1], 0)))

        ons = [b for i, (_, b) in enumerate(messages) if b[0] == ON and not is_keyswitch(i)]
        self.assertEqual([(b[1], b[2]) for b in ons], [(m.note, m.velocity) for m in source])

    def test_the_committed_phrase_is_what_its_script_writes(self):
        subprocess.run([sys.executable, os.path.join(EXAMPLES, "make_phrase.py"),
                        self.path("phrase.mid")], check=True, capture_output=True)
        with open(os.path.join(EXAMPLES, "phrase.mid"), "rb") as f:
            self.assertEqual(self.read_bytes("phrase.mid"), f.read())

    def test_output_is_byte_for_byte_what_it_always_was(self):
        self.run_ok("render", os.path.join(EXAMPLES, "strings.json"),
                    os.path.join(EXAMPLES, "phrase.mid"), "phrase.mid")
        with open(PHRASE_REFERENCE, "rb") as f:
            self.assertEqual(self.read_bytes("phrase.mid"), f.read())
        subprocess.run([sys.executable, os.path.join(BENCH, "make_large_midi.py"),
                        self.path("large.mid")], check=True, capture_output=True)
        run = self.run_ok("render", os.path.join(BENCH, "sixteen_slots.json"), "large.mid",
                          "out.mid")
        self.assertIn("notes in:          500000", run.out)
        self.assertEqual(hashlib.sha256(self.read_bytes("out.mid")).hexdigest(),
                         LARGE_OUTPUT_SHA256)

    def test_gaps_longer_than_a_delta_time_keep_every_tick(self):
        # Each input delta fits in four bytes; the output's gaps do not (an
        # ignored event in between, a tempo change and a stop long after).
        self.write_json("map.json", {"slots": []})
        far = 0x0FFFFFFF
        text = lambda: mido.MetaMessage("text", text="")
        conductor = [(0, tempo(120)), (far, text()), (2 * far, text()), (3 * far, text()),
                     (3 * far + 100, tempo(90))]
        notes = [(0, note_on(0, 60, 100)), (far, mido.Message("pitchwheel", pitch=5)),
                 (2 * far, note_off(0, 60)), (2 * far, note_on(0, 62, 90))]
        _, (_, messages) = self.render("map.json", [conductor, notes])
        self.assertEqual(messages[-4:], [(0, (ON, 60, 100)), (2 * far, (OFF, 60, 0)),
                                         (2 * far, (ON, 62, 90)), (3 * far + 100, (OFF, 62, 0))])
        _, tempi = read_track(self.path("out.mid"), 0)
        self.assertEqual([(t, m.tempo) for t, m in tempi if m.type == "set_tempo"],
                         [(0, 500000), (3 * far + 100, mido.bpm2tempo(90))])
        # plughost's own reader refuses a delta time longer than four bytes.
        run = self.run_ok("dump-midi", "out.mid")
        self.assertRegex(run.out, r"%d  Note Off  ch 1  D3" % (3 * far + 100))

    def test_dump_midi_prints_names(self):
        self.write_json("map.json", MAP)
        self.render("map.json", [[(0, note_on(0, 60, 100)), (480, note_off(0, 60))]])
        run = self.run_ok("dump-midi", "out.mid", "--limit", "200")
        self.assertIn("Note On   ch 3  C0", run.out)
        self.assertIn("C3   ( 60) vel 100", run.out)
        self.assertIn("Port      5", run.out)
        self.assertRegex(run.out, r"\n\s+0\.500\s+480  Note Off  ch 3  C3")


REAL_PART = os.path.join(ROOT, "tests", "files", "real", "bwv1001_fuga.mid")


def key_counts(path):
    """Per (channel, key): note-ons, note-offs, and whether the key is down
    at the end, a note-off ending every note of its key as a sampler hears
    it."""
    counts, down = {}, {}
    for m in mido.merge_tracks(mido.MidiFile(path).tracks):
        if m.type not in ("note_on", "note_off"):
            continue
        key = (m.channel, m.note)
        on = m.type == "note_on" and m.velocity > 0
        ons, offs = counts.get(key, (0, 0))
        counts[key] = (ons + on, offs + (not on))
        down[key] = on
    return counts, [k for k, d in down.items() if d]


class OverlappingNotes(PlughostTest):
    """Notes of one key that overlap (double stops, divisi in unison) never
    leave a key down."""

    def test_the_smallest_part_ends_every_note_where_it_is_written(self):
        self.write_json("map.json", {"channel": 3, "slots": [{"slot": 1, "keyswitch": "C0"}]})
        c3 = 60
        part = [(0, note_on(0, c3, 100)), (240, note_on(0, c3, 90)), (480, note_off(0, c3))]
        for t in range(480, 2400, 480):
            part += [(t, note_on(0, c3, 80)), (t + 480, note_off(0, c3))]
        part.sort(key=lambda e: e[0])
        write_midi(self.path("in.mid"), [[], part])
        run = self.run_ok("render", "map.json", "in.mid", "out.mid")
        _, messages = sent(self.path("out.mid"))
        c3s = [(t, b[0] & 0xF0) for t, b in messages if b[0] in (ON | C, OFF | C) and b[1] == c3]
        self.assertEqual(c3s, [(0, ON), (240, ON), (480, OFF), (480, ON), (960, OFF), (960, ON),
                               (1440, OFF), (1440, ON), (1920, OFF), (1920, ON), (2400, OFF)])
        self.assertIn("overlapping:       1 note began while a note of their key sounded", run.out)
        self.assertIn("    track 2, 1:1.5\n", run.out)
        self.assertNotIn("ended at stop", run.out)

        # colour writes a note-off for each of the two: six and six.
        run = self.run_ok("colour", "map.json", "out.mid", "coloured.mid")
        counts, left = key_counts(self.path("coloured.mid"))
        self.assertEqual(counts[(0, c3)], (6, 6))
        self.assertEqual(left, [])
        self.assertIn("overlapping:       1 note began", run.out)

    def test_a_real_part_with_double_stops_keeps_every_key_balanced(self):
        # Bach's Fuga BWV 1001 (tests/files/real/README.md): three voices on
        # three tracks of one channel, with double stops and notes of one
        # key that overlap between voices. render, colour, render again and
        # retarget: every key ends up, colour writes a note-off per note-on,
        # and a render's note-ons outnumber its note-offs only by the notes
        # it heard begin on a key already sounding (the plug-in ends such a
        # key once, when its last note ends).
        strings = os.path.join(EXAMPLES, "strings.json")
        chamber = os.path.join(EXAMPLES, "chamber_strings.json")
        source, _ = key_counts(REAL_PART)

        def overlapping(run):
            match = re.search(r"overlapping:\s+(\d+) notes? began", run.out)
            return int(match.group(1)) if match else 0

        def render_balanced(path, run):
            counts, left = key_counts(self.path(path))
            self.assertEqual(left, [], path)
            ons = sum(c[0] for c in counts.values())
            offs = sum(c[1] for c in counts.values())
            self.assertEqual(ons - offs, overlapping(run), path)
            return ons, offs

        first = self.run_ok("render", strings, REAL_PART, "rendered.mid")
        self.assertGreater(overlapping(first), 0)
        self.assertNotIn("without a sounding note", first.out)
        self.assertNotIn("ended at stop", first.out)
        rendered = render_balanced("rendered.mid", first)
        self.assertEqual(rendered[0], sum(c[0] for c in source.values()) + 1)  # the keyswitch

        coloured_run = self.run_ok("colour", strings, "rendered.mid", "coloured.mid")
        counts, left = key_counts(self.path("coloured.mid"))
        self.assertEqual(left, [])
        self.assertTrue(all(ons == offs for ons, offs in counts.values()), counts)
        self.assertIn("unexplained:       0", coloured_run.out)

        # The same notes again (the first render's controllers, which colour
        # kept, come on top).
        again = self.run_ok("render", strings, "coloured.mid", "again.mid")
        self.assertNotIn("without a sounding note", again.out)
        render_balanced("again.mid", again)
        notes = lambda path: [(t, b) for t, b in sent(self.path(path))[1]
                              if b[0] & 0xE0 == 0x80]
        self.assertEqual(notes("again.mid"), notes("rendered.mid"))

        moved = self.run_ok("retarget", strings, chamber, "rendered.mid", "moved.mid",
                            "--fallback", "1")
        render_balanced("moved.mid", moved)
        print("\nreal part: source %d note-ons; render %d on / %d off; colour %d / %d; "
              "render again the same notes; retarget %s" % (
                  sum(c[0] for c in source.values()), rendered[0], rendered[1],
                  sum(c[0] for c in counts.values()), sum(c[1] for c in counts.values()),
                  "%d on / %d off" % render_balanced("moved.mid", moved)), file=sys.stderr)


if __name__ == "__main__":
    unittest.main()
