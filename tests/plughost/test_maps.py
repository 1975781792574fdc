"""Maps and states: conversion in both directions through the plug-in."""
import json
import os
import shutil
import struct
import unittest

from plughost_support import (EXAMPLES, PlughostTest, default_map, note_name, state_from_map)

EXAMPLE_MAP = os.path.join(EXAMPLES, "strings.json")


def varied_map():
    """Every field away from its default, names in Windows-1252 beyond ASCII."""
    slots = []
    names = ["Legato", "Détaché", "Spiccato €", "Pizz. «snap»", "Tremolo", "Sul tasto",
             "Col legno", "Harmonics", "Trill ½", "Marcato", "Flautando", "Sul pont.",
             "Con sord.", "Bartók pizz.", "Glissando", "Fx"]
    for i, name in enumerate(names):
        slot = {"slot": i + 1, "name": name, "icon": (i * 9) % 128}
        if i % 4 != 3:
            slot["keyswitch"] = note_name([0, 127, 24, 60][i % 4] if i < 4 else 12 + i)
        if i % 3 != 2:
            slot["uacc"] = [0, 127, 42][i % 3]
        if i % 2 == 0:
            slot["modwheel"] = (i * 8) % 128
        slots.append(slot)
    return {"channel": 16, "port": 255,
            "options": {"ccGhosting": True, "preservePortChannel": True},
            "controllers": {"Dynamics": 0, "Breath": 1, "Expression": 64, "Speed": 126,
                            "Vibrato": 127, "Hold": 127},
            "page": "settings", "selectedSlot": 16, "slots": slots}


class MapsAndStates(PlughostTest):
    def map_to_state(self, map_name, state_name):
        self.run_ok("map-to-state", map_name, state_name)
        return self.read_bytes(state_name)

    def state_to_map(self, state_name, map_name):
        self.run_ok("state-to-map", state_name, map_name)
        with open(self.path(map_name), encoding="utf-8") as f:
            return f.read()

    def test_example_map_gives_the_expected_state_byte_for_byte(self):
        with open(EXAMPLE_MAP, encoding="utf-8") as f:
            example = json.load(f)
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        state = self.map_to_state("strings.json", "strings.state")
        self.assertEqual(state, state_from_map(example))
        # The example is what it says it is: a string section of at least six
        # articulations using keyswitches, UACC and modwheel.
        self.assertGreaterEqual(len(example["slots"]), 6)
        for key in ("keyswitch", "uacc", "modwheel"):
            self.assertTrue(any(key in s for s in example["slots"]), key)

    def test_example_map_state_map_is_identical(self):
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        self.map_to_state("strings.json", "strings.state")
        with open(EXAMPLE_MAP, encoding="utf-8") as f:
            self.assertEqual(self.state_to_map("strings.state", "back.json"), f.read())

    def test_varied_map_state_map_is_identical(self):
        varied = varied_map()
        self.write_json("varied.json", varied)
        state = self.map_to_state("varied.json", "varied.state")
        self.assertEqual(state, state_from_map(varied))
        self.assertIn("Détaché".encode("cp1252"), state)
        with open(self.path("varied.json"), encoding="utf-8") as f:
            self.assertEqual(self.state_to_map("varied.state", "back.json"), f.read())

    def test_maps_saved_as_utf16_or_with_a_byte_order_mark_are_read(self):
        text = json.dumps(varied_map(), indent=2, ensure_ascii=False) + "\n"
        for label, data in (("UTF-8 with mark", text.encode("utf-8-sig")),
                            ("UTF-16LE", b"\xff\xfe" + text.encode("utf-16-le")),
                            ("UTF-16BE", b"\xfe\xff" + text.encode("utf-16-be"))):
            with self.subTest(encoding=label):
                with open(self.path("map.json"), "wb") as f:
                    f.write(data)
                self.assertEqual(self.map_to_state("map.json", "map.state"),
                                 state_from_map(varied_map()))
                # Where a map or a state may be given, the mark tells a map.
                self.assertEqual(self.state_to_map("map.json", "back.json"), text)

    def test_state_map_state_is_byte_identical_for_states_the_plugin_wrote(self):
        self.write_json("varied.json", varied_map())
        self.write_json("empty.json", {})
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        for name in ("varied", "empty", "strings"):
            with self.subTest(name=name):
                first = self.map_to_state(f"{name}.json", f"{name}.state")
                self.state_to_map(f"{name}.state", f"{name}-back.json")
                self.assertEqual(self.map_to_state(f"{name}-back.json", f"{name}-2.state"), first)

    def test_a_new_instance_state_is_the_documented_346_bytes(self):
        self.write_json("empty.json", {})
        state = self.map_to_state("empty.json", "empty.state")
        self.assertEqual(len(state), 346)
        expected = struct.pack("<6i", 5, 0, 0, 0, 0, 0) + b"\xff" * 4 * 48
        expected += struct.pack("<16i", *[55] * 16) + b"\x00\x00" * 16 + b"\x06\x00"
        expected += struct.pack("<8i", 127, 127, 127, 127, 127, 0, 1, 0)
        self.assertEqual(state, expected)
        self.assertEqual(json.loads(self.state_to_map("empty.state", "back.json")), default_map())

    def test_old_state_versions_come_out_as_the_plugin_converts_them(self):
        # Version 1: channel, port and sixteen keyswitches, 0 meaning none.
        keys = [0, 36] + [0] * 14
        with open(self.path("v1.state"), "wb") as f:
            f.write(struct.pack("<3i16i", 1, 4, 2, *keys))
        m = json.loads(self.state_to_map("v1.state", "v1.json"))
        self.assertEqual(m["channel"], 5)
        self.assertEqual(m["port"], 2)
        self.assertEqual(m["slots"], [{"slot": 2, "name": "", "icon": 1, "keyswitch": "C1"}])
        # The plug-in's save of it converts back to the same map.
        self.map_to_state("v1.json", "v5.state")
        self.assertEqual(self.state_to_map("v5.state", "v5.json"),
                         open(self.path("v1.json"), encoding="utf-8").read())

    def test_keyswitches_may_be_numbers_or_flats_and_come_back_as_names(self):
        self.write_json("m.json", {"slots": [{"slot": 3, "keyswitch": 36},
                                             {"slot": 4, "keyswitch": "Bb-1"},
                                             {"slot": 5, "keyswitch": "G8"}]})
        self.map_to_state("m.json", "m.state")
        back = json.loads(self.state_to_map("m.state", "back.json"))
        self.assertEqual([s["keyswitch"] for s in back["slots"]], ["C1", "A#-1", "G8"])

    def test_state_to_map_writes_over_an_existing_map(self):
        self.write_json("m.json", {"channel": 3})
        self.map_to_state("m.json", "m.state")
        with open(self.path("out.json"), "w") as f:
            f.write("old")
        self.state_to_map("m.state", "out.json")
        self.assertEqual(json.load(open(self.path("out.json")))["channel"], 3)
        self.assertEqual(sorted(self.files()), ["m.json", "m.state", "out.json"])


if __name__ == "__main__":
    unittest.main()
