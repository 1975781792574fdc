"""Bad inputs: each gives a clear message naming what is wrong, a non-zero
exit, and no output file, not even a partial one."""
import os
import shutil
import unittest

import mido

from plughost_support import EXAMPLES, PlughostTest, plughost, write_midi

PHRASE = os.path.join(EXAMPLES, "phrase.mid")


class BadInputs(PlughostTest):
    def good_map(self):
        return self.write_json("good.json", {"slots": [{"slot": 1, "keyswitch": "C0"}]})

    def test_a_map_with_an_unknown_field(self):
        self.write_json("bad.json", {"channel": 2, "slots": [{"slot": 3, "articulation": "x"}]})
        for args in (("map-to-state", "bad.json", "out.state"),
                     ("screenshot", "bad.json", "shots")):
            self.refused(args, 1, "bad.json", "slots[0].articulation", "unknown field")

    def test_a_map_with_out_of_range_values(self):
        cases = [({"channel": 0}, "channel"), ({"port": 256}, "port"),
                 ({"slots": [{"slot": 17}]}, "slots[0].slot"),
                 ({"slots": [{"slot": 1, "uacc": 128}]}, "slots[0].uacc"),
                 ({"slots": [{"slot": 1, "keyswitch": "G#8"}]}, "slots[0].keyswitch"),
                 ({"controllers": {"Hold": -1}}, "controllers.Hold")]
        for value, field in cases:
            with self.subTest(field=field):
                self.write_json("bad.json", value)
                self.refused(("map-to-state", "bad.json", "out.state"), 1, "bad.json: " + field)
                os.remove(self.path("bad.json"))

    def test_a_map_that_is_not_json(self):
        with open(self.path("bad.json"), "w") as f:
            f.write('{\n  "channel": 2\n  "port": 1\n}\n')
        self.refused(("map-to-state", "bad.json", "out.state"), 1, "bad.json", "line 3")

    def test_a_bad_map_leaves_an_existing_output_alone(self):
        self.write_json("bad.json", {"page": "mixer"})
        with open(self.path("out.state"), "wb") as f:
            f.write(b"old")
        self.refused(("map-to-state", "bad.json", "out.state"), 1, "page")
        self.assertEqual(self.read_bytes("out.state"), b"old")

    def test_a_truncated_midi_file(self):
        self.good_map()
        with open(PHRASE, "rb") as f:
            data = f.read()
        for cut in (10, 30, len(data) // 2, len(data) - 3):
            with self.subTest(cut=cut):
                with open(self.path("cut.mid"), "wb") as f:
                    f.write(data[:cut])
                run = self.refused(("render", "good.json", "cut.mid", "out.mid"), 1, "cut.mid")
                self.assertRegex(run.err, "truncated|ends inside|runs past")
                os.remove(self.path("cut.mid"))

    def test_a_file_that_is_not_midi(self):
        self.good_map()
        shutil.copy(self.path("good.json"), self.path("notes.mid"))
        self.refused(("render", "good.json", "notes.mid", "out.mid"), 1, "notes.mid",
                     "not a Standard MIDI File")
        self.refused(("dump-midi", "notes.mid"), 1, "not a Standard MIDI File")

    def test_a_format_2_midi_file(self):
        self.good_map()
        write_midi(self.path("f2.mid"), [[(0, mido.Message("note_on"))]], type=2)
        self.refused(("render", "good.json", "f2.mid", "out.mid"), 1, "f2.mid", "format 2")

    def test_a_missing_input(self):
        self.good_map()
        self.refused(("render", "good.json", "absent.mid", "out.mid"), 1, "absent.mid")
        self.refused(("render", "absent.json", PHRASE, "out.mid"), 1, "absent.json")
        self.refused(("state-to-map", "absent.state", "out.json"), 1, "absent.state")

    def test_a_settings_file_that_is_neither_map_nor_state(self):
        with open(self.path("junk.state"), "wb") as f:
            f.write(b"\x07\x00\x00\x00junk")
        self.refused(("state-to-map", "junk.state", "out.json"), 1, "junk.state",
                     "it begins like a plug-in state of version 7, and this plug-in reads "
                     "versions 1 to 5")
        with open(self.path("tiny.state"), "wb") as f:
            f.write(b"\x05\x00")
        self.refused(("render", "tiny.state", PHRASE, "out.mid"), 1, "tiny.state", "too short")

    def test_a_missing_dll(self):
        self.good_map()
        for args in (("map-to-state", "good.json", "out.state"),
                     ("render", "good.json", PHRASE, "out.mid"),
                     ("screenshot", "good.json", "shots"),
                     ("describe",)):
            with self.subTest(command=args[0]):
                self.refused(("--dll", "Missing.dll", *args), 3, "Missing.dll", "does not exist")

    def test_a_dll_that_is_not_the_plugin(self):
        self.good_map()
        with open(self.path("Fake.dll"), "wb") as f:
            f.write(b"MZ not really a library")
        self.refused(("--dll", "Fake.dll", "map-to-state", "good.json", "out.state"), 3,
                     "Fake.dll", "cannot load")

    def test_an_output_that_cannot_be_written(self):
        self.good_map()
        self.refused(("map-to-state", "good.json", "no/such/folder/out.state"), 1, "out.state")
        self.refused(("render", "good.json", PHRASE, "no/such/folder/out.mid"), 1, "out.mid")


if __name__ == "__main__":
    unittest.main()
