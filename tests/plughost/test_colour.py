"""colour and retarget as a user meets them: the keyswitched example phrase
coloured back to the example phrase's colours, retargeted to the second
example map, pictures written beside, and bad inputs refused with a message
and no file."""
import json
import os
import shutil
import struct
import unittest
import zlib

import mido

from plughost_support import EXAMPLES, PlughostTest, plughost, read_track, write_midi

KEYSWITCHED = os.path.join(EXAMPLES, "keyswitched.mid")
PHRASE = os.path.join(EXAMPLES, "phrase.mid")
STRINGS = os.path.join(EXAMPLES, "strings.json")
CHAMBER = os.path.join(EXAMPLES, "chamber_strings.json")


def notes(path):
    """(tick, key, velocity, length, channel) of every note, note-offs
    paired with the earliest note on their channel and key."""
    f = mido.MidiFile(path)
    held, out = {}, []
    for i in range(len(f.tracks)):
        for tick, m in read_track(path, i)[1]:
            if m.type == "note_on" and m.velocity > 0:
                held.setdefault((m.channel, m.note), []).append((tick, m.velocity))
            elif m.type in ("note_on", "note_off") and held.get((m.channel, m.note)):
                start, velocity = held[(m.channel, m.note)].pop(0)
                out.append((start, m.note, velocity, tick - start, m.channel))
    return sorted(out)


def png_size(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    width, height = struct.unpack(">II", data[16:24])
    # The image data inflates to a filter byte and three bytes per pixel a row.
    idat = b"".join(data[i + 8:i + 8 + struct.unpack(">I", data[i:i + 4])[0]]
                    for i in range(8, len(data)) if data[i + 4:i + 8] == b"IDAT")
    assert len(zlib.decompress(idat)) == height * (1 + 3 * width)
    return width, height


class Colour(PlughostTest):
    def test_the_keyswitched_phrase_colours_back_to_the_example_phrase(self):
        run = self.run_ok("colour", STRINGS, KEYSWITCHED, "out.mid", "--picture", "out.png")
        self.assertEqual(notes(self.path("out.mid")), notes(PHRASE))
        for line in ("notes read:        32", 'slot 3 "Staccato": 8', "unexplained:       0",
                     "ties:              0", "messages removed:  27"):
            self.assertIn(line, run.out)
        # No keyswitch or UACC is left; the dynamics, expression, pan and
        # volume are, at their ticks, and the tempo map too.
        _, part = read_track(self.path("out.mid"), 1)
        _, before = read_track(KEYSWITCHED, 1)
        ccs = lambda events: [(t, m.control, m.value) for t, m in events if m.type == "control_change"]
        self.assertEqual(ccs(part), [c for c in ccs(before) if c[1] != 32])
        self.assertFalse([m for _, m in part if m.type == "note_on" and m.note < 36])
        self.assertEqual(read_track(self.path("out.mid"), 0)[1], read_track(KEYSWITCHED, 0)[1])
        width, height = png_size(self.path("out.png"))
        self.assertGreaterEqual(width, 8 * 64)
        self.assertGreater(height, 100)

    def test_a_rendered_phrase_colours_back_and_another_programs_map_serves_too(self):
        self.run_ok("render", STRINGS, PHRASE, "rendered.mid")
        self.run_ok("colour", STRINGS, "rendered.mid", "back.mid")
        self.assertEqual(notes(self.path("back.mid")), notes(PHRASE))
        # The Reaticulate bank's example violins serve as the map too.
        run = self.run_ok("colour", os.path.join(EXAMPLES, "strings.reabank"), KEYSWITCHED,
                          "reabank.mid", "--bank", "Violins")
        self.assertIn("notes read:        32", run.out)

    def test_cc1_switches_at_the_note_or_last_in_a_rest_and_elsewhere_plays(self):
        self.write_json("mw.json", {"slots": [{"slot": 1, "name": "Soft", "modwheel": 20},
                                              {"slot": 2, "name": "Loud", "modwheel": 90}]})
        cc = lambda v: mido.Message("control_change", control=1, value=v)
        on = lambda n: mido.Message("note_on", note=n, velocity=80)
        off = lambda n: mido.Message("note_off", note=n)
        write_midi(self.path("in.mid"), [[
            (0, cc(90)), (0, on(60)), (50, cc(20)), (100, off(60)),  # slot 2; 20 under it plays
            (150, cc(20)), (160, cc(55)),                # a curve in the rest ending on 55: plays
            (200, on(62)), (300, off(62)),               # still slot 2
            (350, cc(20)),                               # early, before the note: slot 1
            (400, on(64)), (500, off(64)),
        ]])
        run = self.run_ok("colour", "mw.json", "in.mid", "out.mid")
        self.assertEqual([n[4] for n in notes(self.path("out.mid"))], [1, 1, 0])
        _, part = read_track(self.path("out.mid"), 0)
        self.assertEqual([(t, m.value) for t, m in part if m.type == "control_change"],
                         [(50, 20), (150, 20), (160, 55)])
        self.assertNotIn("guessed notes", run.out)

    def test_guessed_notes_are_listed_by_track_and_bar_and_strict_refuses_them(self):
        self.write_json("ks.json", {"slots": [{"slot": 1, "name": "Long", "keyswitch": "C0"},
                                              {"slot": 2, "name": "Short", "keyswitch": "D0"}]})
        on = lambda n: mido.Message("note_on", note=n, velocity=80)
        off = lambda n: mido.Message("note_off", note=n)
        # 480 ticks a quarter: twelve notes before any keyswitch, from bar 1
        # beat 1 on, then one at bar 4 beat 1 after C0.
        events = []
        for i in range(12):
            events += [(i * 240, on(60)), (i * 240 + 100, off(60))]
        events += [(5760, on(24)), (5760, off(24)), (5760, on(62)), (5800, off(62))]
        write_midi(self.path("in.mid"), [[], events])
        run = self.run_ok("colour", "ks.json", "in.mid", "out.mid", "--picture", "out.png")
        self.assertIn("unexplained:       12", run.out)
        self.assertIn("track 2, 1:1 (unexplained)", run.out)
        self.assertIn("track 2, 1:1.5 (unexplained)", run.out)
        self.assertIn("and 2 more", run.out)
        before = self.files()
        self.refused(("colour", "ks.json", "in.mid", "strict.mid", "--strict"), 1,
                     "12 unexplained and 0 tied notes (--strict)")
        self.refused(("retarget", "ks.json", "ks.json", "in.mid", "strict.mid", "--strict"), 1,
                     "--strict")
        self.assertEqual(self.files(), before)
        self.refused(("render", "ks.json", "in.mid", "r.mid", "--strict"), 2, "colour, retarget")

class Compensate(PlughostTest):
    def latency_map(self):
        with open(STRINGS, encoding="utf-8") as f:
            m = json.load(f)
        m["slots"][0]["latency"] = 250  # Legato
        m["slots"][2]["latency"] = 40   # Staccato
        return self.write_json("late.json", m)

    def test_render_plays_slow_articulations_early_and_colour_puts_them_back(self):
        late = self.latency_map()
        # Without --compensate a latency changes nothing.
        self.run_ok("render", late, PHRASE, "plain.mid")
        self.run_ok("render", STRINGS, PHRASE, "strings.mid")
        self.assertEqual(self.read_bytes("plain.mid"), self.read_bytes("strings.mid"))

        run = self.run_ok("render", late, PHRASE, "early.mid", "--compensate")
        self.assertIn('compensated:       4 notes of slot 1 "Legato" moved 250 ms earlier', run.out)
        self.assertIn('compensated:       8 notes of slot 3 "Staccato" moved 40 ms earlier',
                      run.out)
        # The phrase opens with a legato note at tick 0.
        self.assertIn('clamped at start:  1 note of slot 1 "Legato" (250 ms)', run.out)
        played, written = notes(self.path("early.mid")), notes(PHRASE)
        self.assertEqual(sorted(n[3] + n[0] for n in played if n[1] >= 36),
                         sorted(n[3] + n[0] for n in written), "every note ends where written")

        run = self.run_ok("colour", late, "early.mid", "back.mid", "--compensate")
        self.assertIn('moved back:        4 notes of slot 1 "Legato" moved 250 ms later', run.out)
        self.assertIn('at tick 0:         1 note of slot 1 "Legato" (250 ms)', run.out)
        back = notes(self.path("back.mid"))
        self.assertEqual(len(back), len(written))
        self.assertEqual(len(set(written) - set(back)), 1, "all but the note clamped at tick 0")

        # retarget moves the notes by the latencies of the map it plays.
        run = self.run_ok("retarget", STRINGS, late, KEYSWITCHED, "moved.mid", "--compensate",
                          "--lead", "5")
        self.assertIn('compensated:       4 notes of slot 1 "Legato" moved 250 ms earlier', run.out)
        self.assertIn("lead:              switching messages of", run.out)


class Retarget(PlughostTest):
    def test_retarget_by_name_plays_the_phrase_with_the_second_library(self):
        run = self.run_ok("retarget", STRINGS, CHAMBER, KEYSWITCHED, "out.mid",
                          "--picture", "out.png")
        self.assertIn('3 "Staccato" -> 4 "Short" (by UACC)', run.out)
        self.assertIn('5 "Pizzicato" -> 5 "Pizz" (by UACC)', run.out)
        self.assertIn('1 "Legato" -> 2 "Legato" (by name)', run.out)
        # One pass gives what colour then render give.
        self.run_ok("colour", STRINGS, KEYSWITCHED, "coloured.mid")
        run = self.run_ok("retarget", STRINGS, CHAMBER, KEYSWITCHED, "by-number.mid", "--pan",
                          "20", "--volume", "90", "--match", "numbers")
        self.assertIn('3 "Staccato" -> 3 "Spiccato" (by number)', run.out)
        self.run_ok("render", CHAMBER, "coloured.mid", "rendered.mid", "--pan", "20", "--volume",
                    "90")
        self.assertEqual(self.read_bytes("by-number.mid"), self.read_bytes("rendered.mid"))
        # By name, the legato notes (slot 1) play chamber slot 2's keyswitch C#-1 (13).
        _, sent = read_track(self.path("out.mid"), 1)
        first = [m for _, m in sent if m.type == "note_on"][:2]
        self.assertEqual((first[0].note, first[0].velocity), (13, 127))
        png_size(self.path("out.png"))

    def test_unmatched_slots_are_listed_unless_a_fallback_is_named(self):
        self.write_json("few.json", {"slots": [{"slot": 1, "name": "Legato", "keyswitch": "C1"}]})
        before = self.files()
        run = plughost("retarget", STRINGS, "few.json", KEYSWITCHED, "out.mid", "--match", "names",
                       cwd=self.dir)
        self.assertEqual(run.code, 1, run)
        self.assertIn('slot 2 "Sustain"', run.err)
        self.assertIn('slot 8 "Col legno"', run.err)
        self.assertIn("--fallback", run.err)
        self.assertEqual(self.files(), before)
        self.assertIn('free slots of few.json: none', run.err)
        run = self.run_ok("retarget", STRINGS, "few.json", KEYSWITCHED, "out.mid", "--match",
                          "names", "--fallback", "1")
        self.assertIn('2 "Sustain" -> 1 "Legato" (fallback)', run.out)

    def test_pairs_by_hand_win_from_the_command_line_and_from_a_file(self):
        self.write_json("pairs.json", {"Staccato": 5, "4": "Legato"})
        run = self.run_ok("retarget", STRINGS, CHAMBER, KEYSWITCHED, "out.mid", "--pair",
                          "staccato=Short", "--pairs", "pairs.json")
        self.assertIn('3 "Staccato" -> 5 "Pizz" (by hand)', run.out)
        self.assertIn('1 "Legato" -> 2 "Legato" (by name)', run.out)
        self.refused(("retarget", STRINGS, CHAMBER, KEYSWITCHED, "x.mid", "--pair", "Nope=1"), 1,
                     'no slot of the FROM map is named "Nope"')
        self.refused(("retarget", STRINGS, CHAMBER, KEYSWITCHED, "x.mid", "--pair", "3"), 2,
                     "FROM=TO")
        self.refused(("colour", STRINGS, KEYSWITCHED, "x.mid", "--pair", "3=4"), 2,
                     "belongs to retarget")
        self.write_json("bad.json", ["Staccato"])
        self.refused(("retarget", STRINGS, CHAMBER, KEYSWITCHED, "x.mid", "--pairs", "bad.json"),
                     1, "bad.json: not a JSON object")

    def test_to_bank_chooses_the_bank_of_a_to_file_of_several(self):
        reabank = os.path.join(EXAMPLES, "strings.reabank")
        self.refused(("retarget", STRINGS, reabank, KEYSWITCHED, "x.mid"), 1,
                     "choose one with --to-bank NAME or NUMBER")
        run = self.run_ok("retarget", STRINGS, reabank, KEYSWITCHED, "out.mid", "--to-bank", "2",
                          "--pair", "sustain=SustainConSord.", "--fallback", "1")
        self.assertIn('2 "Sustain" -> 2 "Sustain con sord." (by hand)', run.out)
        self.assertIn("Played with the map " + reabank, run.out)


    def test_to_pick_takes_articulations_of_a_to_file_beyond_sixteen(self):
        # A library of 18 articulations: the one --pair wants is the 17th.
        names = [f"Short {i}" for i in range(1, 17)] + ["Long Marcato Attack", "Legato"]
        with open(self.path("big.reabank"), "w") as f:
            f.write("Bank * * Big\n" + "".join(f"//! o=note:{i}\n{i} {name}\n"
                                                for i, name in enumerate(names)))
        self.refused(("retarget", STRINGS, "big.reabank", KEYSWITCHED, "x.mid", "--fallback", "1",
                      "--pair", "legato=long marcato attack"), 1,
                     '--pair: no slot of the TO map is named "long marcato attack": "Long Marcato '
                     'Attack" is articulation 17 of big.reabank, beyond the 16 taken; take it with '
                     "--to-pick, such as --to-pick 1-15,17")
        run = self.run_ok("retarget", STRINGS, "big.reabank", KEYSWITCHED, "out.mid",
                          "--fallback", "1", "--pair", "legato=long marcato attack",
                          "--to-pick", "17-18,1-3")
        self.assertIn('1 "Legato" -> 1 "Long Marcato Attack" (by hand)', run.out)
        self.assertIn('2 "Sustain" -> 1 "Long Marcato Attack" (fallback)', run.out)
        # Picked out of the file, a name is said to be left out all the same.
        self.refused(("retarget", STRINGS, "big.reabank", KEYSWITCHED, "x.mid", "--fallback", "1",
                      "--to-pick", "1-3", "--pair", "Staccato=Legato"), 1,
                     '"Legato" is articulation 18 of big.reabank, not picked; take it with '
                     "--to-pick, such as --to-pick 1-3,18")


# A second library whose slots send more: layered and transposed notes, and
# actions of every kind on channels of their own.
LAYERS = {"channel": 1, "slots": [
    {"slot": 1, "name": "Legato", "uacc": 1, "noteChannels": ["plug-in", 3], "transpose": 12},
    {"slot": 2, "name": "Sustain", "uacc": 2,
     "actions": [{"cc": 58, "value": 20, "channel": 2},
                 {"note": "C-1", "held": True, "channel": 5}]},
    {"slot": 3, "name": "Staccato", "uacc": 3, "transpose": -12,
     "actions": [{"program": 5, "channel": 4}]},
    {"slot": 4, "name": "Spiccato", "uacc": 4,
     "actions": [{"note": "D0", "velocity": 90}, {"note": "E0"}]},
    {"slot": 5, "name": "Pizzicato", "uacc": 5, "noteChannels": [6]},
    {"slot": 6, "name": "Tremolo", "uacc": 6, "actions": [{"pitchBend": 1000, "channel": 3}]},
    {"slot": 7, "name": "Marcato", "uacc": 7},
    {"slot": 8, "name": "Col legno", "uacc": 8}]}


class ColourAdditions(PlughostTest):
    def test_retarget_plays_a_map_that_sends_more_and_colour_reads_it_back(self):
        self.write_json("layers.json", LAYERS)
        self.run_ok("retarget", STRINGS, "layers.json", KEYSWITCHED, "out.mid")
        _, sent = read_track(self.path("out.mid"), 1)
        kinds = {(m.type, m.channel) for _, m in sent if hasattr(m, "channel")}
        for kind in (("note_on", 2), ("control_change", 1), ("note_on", 4), ("program_change", 3),
                     ("pitchwheel", 2), ("note_on", 5)):
            self.assertIn(kind, kinds)
        # Every note the plug-in started, held action notes too, has ended.
        down = {}
        for _, m in sent:
            if m.type in ("note_on", "note_off"):
                on = m.type == "note_on" and m.velocity > 0
                down[(m.channel, m.note)] = down.get((m.channel, m.note), 0) + (1 if on else -1)
        self.assertFalse([k for k, n in down.items() if n])

        run = self.run_ok("colour", "layers.json", "out.mid", "back.mid")
        self.assertEqual(notes(self.path("back.mid")), notes(PHRASE))
        self.assertIn("unexplained:       0", run.out)
        self.assertIn("layered copies:", run.out)
        # From the map that sends more, back to the first library.
        self.run_ok("retarget", "layers.json", STRINGS, "out.mid", "again.mid")
        self.run_ok("render", STRINGS, "back.mid", "rendered.mid")
        self.assertEqual(self.read_bytes("again.mid"), self.read_bytes("rendered.mid"))

    def test_slots_told_apart_only_by_the_same_actions_are_named(self):
        self.write_json("same.json", {"slots": [
            {"slot": 1, "name": "Legato", "actions": [{"cc": 58, "value": 20, "channel": 2}]},
            {"slot": 2, "name": "Sustain", "keyswitch": "C0",
             "actions": [{"cc": 58, "value": 20, "channel": 2}]}]})
        self.refused(("colour", "same.json", KEYSWITCHED, "out.mid"), 1,
                     'slot 1 "Legato" (CC 58 = 20, ch 2) and slot 2 "Sustain" (keyswitch C0, '
                     'CC 58 = 20, ch 2)')


class BadColourInputs(PlughostTest):
    def test_a_map_whose_slots_cannot_be_told_apart_names_them(self):
        self.write_json("same.json", {"slots": [
            {"slot": 1, "name": "Legato", "keyswitch": "C0"},
            {"slot": 2, "name": "Sustain", "uacc": 1},
            {"slot": 4, "name": "Spicc", "keyswitch": "D0"}]})
        self.refused(("colour", "same.json", KEYSWITCHED, "out.mid", "--picture", "out.png"), 1,
                     'slot 1 "Legato" (keyswitch C0) and slot 2 "Sustain" (UACC 1)',
                     'slot 2 "Sustain" (UACC 1) and slot 4 "Spicc" (keyswitch D0)')
        self.refused(("retarget", "same.json", STRINGS, KEYSWITCHED, "out.mid"), 1, "told apart")

    def test_a_map_that_switches_nothing_and_bad_files(self):
        self.write_json("none.json", {"slots": [{"slot": 1, "name": "Plain"}]})
        self.refused(("colour", "none.json", KEYSWITCHED, "out.mid"), 1, "no slot sends")
        with open(KEYSWITCHED, "rb") as f:
            data = f.read()
        with open(self.path("cut.mid"), "wb") as f:
            f.write(data[:len(data) // 2])
        self.refused(("colour", STRINGS, "cut.mid", "out.mid"), 1, "cut.mid")
        self.refused(("colour", STRINGS, "missing.mid", "out.mid"), 1, "missing.mid")
        self.refused(("colour", STRINGS, KEYSWITCHED, "out.mid", "--picture", "out.bmp"), 2, ".png")
        self.refused(("retarget", STRINGS, CHAMBER, KEYSWITCHED, "out.mid", "--match", "icons"), 2,
                     "--match")
        self.refused(("retarget", STRINGS, CHAMBER, KEYSWITCHED, "out.mid", "--fallback", "17"), 2,
                     "--fallback")
        self.refused(("colour", STRINGS, KEYSWITCHED), 2, "colour takes")

    def test_an_unwritable_picture_leaves_no_midi_file(self):
        self.refused(("colour", STRINGS, KEYSWITCHED, "out.mid", "--picture",
                      os.path.join("no-such-folder", "out.png")), 1, "out.png")


if __name__ == "__main__":
    unittest.main()
