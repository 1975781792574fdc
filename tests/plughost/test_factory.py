"""The built-in maps: plughost factory finds them by words, community maps
marked, and factory:NAME stands for one wherever settings are taken."""
import json
import os
import unittest

from plughost_support import EXAMPLES, ROOT, PlughostTest

FACTORY = os.path.join(ROOT, "factory")
with open(os.path.join(FACTORY, "maps.json"), encoding="utf-8") as f:
    INDEX = json.load(f)


def holding(*words):
    """The maps in the index whose names hold every word, case and blanks aside."""
    fold = lambda s: "".join(s.split()).lower()
    return [m for m in INDEX if all(fold(w) in fold(m["name"]) for w in words)]


def named(*words):
    return [m["name"] for m in holding(*words)]


def listed(*words):
    """The lines plughost factory prints for them."""
    return [m["name"] + (" (community)" if m["community"] else "") + "\t" + m["source"]
            for m in holding(*words)]


def counted(*words):
    maps = holding(*words)
    community = sum(1 for m in maps if m["community"])
    return (f"{len(maps)} built-in map{'' if len(maps) == 1 else 's'} of {len(INDEX)} "
            f"({community} community map{'' if community == 1 else 's'}, untested)")


class FactoryTest(PlughostTest):
    def test_factory_lists_the_maps_holding_every_word(self):
        for words in [["masse"], ["Spitfire", "MASSE"], ["albion one", "brass"], ["majestica", "brass"],
                      ["bbcso"]]:
            run = self.run_ok("factory", *words)
            self.assertEqual(run.out.splitlines(), listed(*words), words)
            self.assertIn(counted(*words), run.err)
        # Community maps after the factory maps, each marked.
        self.assertTrue(any(m["community"] for m in holding("majestica", "brass")))
        self.assertTrue(listed("bbcso")[0].endswith(" (community)\tstudio-one-user-presets/Key "
                                                    "Switches/Spitfire/BBCSO (Discovery) Basses.keyswitch"))
        self.assertEqual(len(self.run_ok("factory").out.splitlines()), len(INDEX))
        run = self.refused(["factory", "nosuchword"], 1, f"0 built-in maps of {len(INDEX)}")
        self.assertEqual(run.out, "")

    def test_a_hyphen_typed_stands_for_the_dash_of_a_name(self):
        dashed = "8DIO Forgotten Voices Cait Slot (1\u201316)"
        self.assertIn(dashed, named())
        listing = self.run_ok("factory", "cait", "(1-16)").out.splitlines()
        self.assertEqual([line.split("\t")[0] for line in listing], [dashed])
        self.run_ok("map-to-state", "factory:8DIO Forgotten Voices Cait Slot (1-16)", "cait.state")
        self.run_ok("map-to-state", "factory:" + dashed, "same.state")
        self.assertEqual(self.read_bytes("cait.state"), self.read_bytes("same.state"))

    def test_a_factory_map_renders_as_its_file_does(self):
        entry = next(m for m in INDEX if m["name"] == "Spitfire Masse Brass")
        phrase = os.path.join(EXAMPLES, "phrase.mid")
        self.run_ok("render", "factory:spitfire masse  BRASS", phrase, "built-in.mid")
        self.run_ok("render", os.path.join(FACTORY, entry["file"]), phrase, "file.mid")
        self.assertEqual(self.read_bytes("built-in.mid"), self.read_bytes("file.mid"))
        listed = self.run_ok("import", "factory:Spitfire Masse Brass", "--list").out
        self.assertIn("a map", listed)
        self.run_ok("map-to-state", "factory:Masse Brass", "brass.state")
        self.run_ok("state-to-map", "brass.state", "brass.json")
        with open(os.path.join(FACTORY, entry["file"]), encoding="utf-8") as want, \
                open(self.path("brass.json"), encoding="utf-8") as got:
            self.assertEqual(json.load(got), json.load(want))

    def test_a_community_map_is_taken_by_its_name_with_a_note(self):
        entry = next(m for m in INDEX if m["community"] and m["source"].endswith(".keyswitch"))
        run = self.run_ok("map-to-state", "factory:" + entry["name"], "community.state")
        self.assertIn(f'note: "{entry["name"]}" is a community map, which nobody checked '
                      f'(untested), converted from {entry["source"]}', run.err)
        self.run_ok("state-to-map", "community.state", "community.json")
        with open(os.path.join(FACTORY, entry["file"]), encoding="utf-8") as want, \
                open(self.path("community.json"), encoding="utf-8") as got:
            self.assertEqual(json.load(got), json.load(want))
        # A factory map's name is the factory map's: a community map of that
        # name is told apart by a number.
        factory_names = {m["name"] for m in INDEX if not m["community"]}
        self.assertFalse(any(m["name"] in factory_names for m in INDEX if m["community"]))

    def test_unknown_or_ambiguous_names_list_the_closest(self):
        phrase = os.path.join(EXAMPLES, "phrase.mid")
        masse = named("masse")
        run = self.refused(["render", "factory:Masse", phrase, "out.mid"], 1,
                           f'"Masse" fits {len(masse)} factory maps', f'"{masse[0]}"')
        run = self.refused(["render", "factory:Masse Kazoo", phrase, "out.mid"], 1,
                           'no factory map is called "Masse Kazoo"; the closest: ', f'"{masse[0]}"')
        self.refused(["colour", "factory:zzqx", phrase, "out.mid"], 1,
                     'no factory map is called "zzqx", and none shares a word with it')
        self.refused(["edit", "factory:Spitfire Masse Brass", "--close-after", "1"], 2,
                     "factory:Spitfire Masse Brass is a factory map, which edit never writes over")


if __name__ == "__main__":
    unittest.main()
