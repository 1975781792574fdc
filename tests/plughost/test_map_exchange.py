"""import and export: other programs' maps to the plug-in's settings and back,
checked against maps and states written here independently."""
import json
import os
import shutil
import unittest

from plughost_support import EXAMPLES, PlughostTest, plughost, state_from_map

EXAMPLE_BANK = os.path.join(EXAMPLES, "strings.reabank")
EXAMPLE_MAP = os.path.join(EXAMPLES, "strings.json")
PHRASE = os.path.join(EXAMPLES, "phrase.mid")
KEYSWITCHED = os.path.join(EXAMPLES, "keyswitched.mid")
SLOT_FIELDS = ("name", "icon", "keyswitch", "uacc", "modwheel")

# The violins of examples/strings.reabank as slots.
VIOLINS = [
    {"slot": 1, "name": "Legato", "icon": 1, "keyswitch": "C0", "uacc": 20, "modwheel": 96},
    {"slot": 2, "name": "Sustain", "icon": 0, "keyswitch": "C#0", "uacc": 1, "modwheel": 80},
    {"slot": 3, "name": "Staccato", "icon": 2, "keyswitch": "D0", "uacc": 40},
    {"slot": 4, "name": "Spiccato", "icon": 4, "keyswitch": "D#0", "uacc": 42},
    {"slot": 5, "name": "Pizzicato", "icon": 9, "keyswitch": "E0", "uacc": 56},
    {"slot": 6, "name": "Tremolo", "icon": 12, "keyswitch": "F0", "uacc": 11, "modwheel": 100},
    {"slot": 7, "name": "Marcato", "icon": 5, "keyswitch": "F#0", "uacc": 52, "modwheel": 110},
    {"slot": 8, "name": "Trill (major 2nd)", "icon": 15, "keyswitch": "G0", "uacc": 71},
]

# The cellos: a held keyswitch, a keyswitch velocity, CC 11, a program change.
CELLOS = [
    {"slot": 1, "name": "Legato", "icon": 1, "uacc": 20,
     "actions": [{"note": "C0", "velocity": 127, "held": True}]},
    {"slot": 2, "name": "Sustain con sord.", "icon": 17, "keyswitch": "C#0", "uacc": 7,
     "keyswitchVelocity": 100, "actions": [{"cc": 11, "value": 90}]},
    {"slot": 3, "name": "Snap pizz.", "icon": 10, "keyswitch": "D0",
     "actions": [{"program": 3}]},
]


class MapExchange(PlughostTest):
    def setUp(self):
        super().setUp()
        shutil.copy(EXAMPLE_BANK, self.path("strings.reabank"))

    def slots(self, name):
        with open(self.path(name), encoding="utf-8") as f:
            return json.load(f)["slots"]

    def refused(self, args, *words):
        before = self.files()
        run = plughost(*args, cwd=self.dir)
        self.assertNotEqual(run.code, 0, run)
        for w in words:
            self.assertIn(w, run.err)
        self.assertEqual(self.files(), before, "nothing written")
        return run

    def test_import_a_bank_as_map_and_as_state(self):
        run = self.run_ok("import", "strings.reabank", "violins.json", "--bank", "Violins")
        self.assertEqual(self.slots("violins.json"), VIOLINS)
        # Nothing the violins send is lost: what is left is never sent, as notes.
        self.assertNotIn("warning", run.err)
        self.assertEqual(run.err.splitlines(), [
            'plughost: note: strings.reabank: articulation 9 "Reset" (line 24): left out, as its '
            'program hides it',
            'plughost: note: strings.reabank: slot 8 "Trill (major 2nd)" (articulation 8 in the '
            'file, line 21): group 2 (g=2): a slot like the others; a note plays one slot, never '
            'one articulation of each group at once as in Reaticulate',
        ])
        self.assertIn("8 slots, 0 warnings, 2 notes", run.out)

        self.run_ok("import", "strings.reabank", "violins.state", "--bank", "Example Violins",
                    "--strict")
        self.assertEqual(self.read_bytes("violins.state"), state_from_map({"slots": VIOLINS}))

        # The cellos' held note, CC 11 and program change come along as actions.
        run = self.run_ok("import", "strings.reabank", "cellos.json", "--bank", "Cellos",
                          "--strict")
        self.assertIn('note: strings.reabank: slot 1 "Legato" (articulation 1 in the file, '
                      'line 29): dropped colour legato', run.err)
        self.assertEqual(self.slots("cellos.json"), CELLOS)
        # What the plug-in cannot do still fails --strict.
        with open(self.path("soft.reabank"), "w") as f:
            f.write("Bank * * Soft\n//! velocity=0.8 o=note:24\n1 Sustain soft\n")
        self.refused(("import", "soft.reabank", "strict.json", "--strict"),
                     'error: soft.reabank: slot 1 "Sustain soft" (articulation 1 in the file, '
                     'line 3): dropped velocity=0.8',
                     "1 warning is an error under --strict")
        run = self.run_ok("import", "soft.reabank", "soft.json")
        self.assertIn("soft.reabank -> soft.json: 1 slot, 1 warning, 0 notes", run.out)
        self.refused(("import", "strings.reabank", "both.json"), "holds 2 banks", '"Cellos"')

    def test_list_and_pick(self):
        run = self.run_ok("import", "strings.reabank", "--list")
        self.assertIn("   9  Reset  [hidden]  ->  B0 v127", run.out)
        self.assertIn('bank 2 "Example Cellos" ("Cellos") in group "Examples/Strings", '
                      '3 articulations', run.out)
        # --bank lists that bank alone; --pick the slots the import would write.
        run = self.run_ok("import", "strings.reabank", "--list", "--bank", "Cellos")
        self.assertNotIn("Violins", run.out)
        self.assertIn("   3  Snap pizz.", run.out)
        run = self.run_ok("import", "strings.reabank", "--list", "--bank", "Violins", "--pick",
                          "6-4,Legato")
        self.assertIn("the slots an import of a Reaticulate bank (.reabank) writes, channel 1, "
                      "4 slots in use", run.out)
        self.assertIn("   3  Spiccato  ->  keyswitch D#0 v127, UACC 42", run.out)
        self.assertEqual(self.files(), ["strings.reabank"])
        self.run_ok("import", "strings.reabank", "picked.json", "--bank", "Violins",
                    "--pick", "9, Legato,6, 2-3", "--strict")
        self.assertEqual([s["name"] for s in self.slots("picked.json")],
                         ["Reset", "Legato", "Tremolo", "Sustain", "Staccato"])
        self.refused(("import", "strings.reabank", "x.json", "--bank", "Violins", "--pick",
                      "1-4,3"), '--pick: "3" takes articulation 3 "Staccato" a second time '
                                '(entry "1-4" took it already)')

    def test_universal_definition_groups_are_banks(self):
        shutil.copy(os.path.join(EXAMPLES, "strings.yaml"), self.path("strings.yaml"))
        run = self.run_ok("import", "strings.yaml", "--list")
        self.assertIn('bank 1 "Violins", 9 articulations', run.out)
        self.assertIn("   1  Idle  [no articulation]\n", run.out)
        self.assertIn("   3  Sustain  ->  C#0 v127, CC 32 = 1, CC 1 = 80", run.out)
        self.assertIn("   4  Snap pizz.  ->  D0 v127 ch 2", run.out)
        # The violins send what the Reaticulate violins send; the icons come
        # from the names, as the format has none.
        run = self.run_ok("import", "strings.yaml", "violins.json", "--bank", "violins",
                          "--strict")
        fields = ("slot", "name", "keyswitch", "uacc", "modwheel")
        self.assertEqual([{k: s[k] for k in fields if k in s} for s in self.slots("violins.json")],
                         [{k: s[k] for k in fields if k in s} for s in VIOLINS])
        self.assertIn('note: strings.yaml: articulation 1 "Idle" (line 13): left out, as it sends '
                      'nothing', run.err)
        # The velocity chooses between the cellos' sustains; the pizz goes
        # out on channel 2.
        self.run_ok("import", "strings.yaml", "cellos.json", "--bank", "2", "--pick", "2,3,4")
        self.assertEqual(self.slots("cellos.json"), [
            {"slot": 1, "name": "Sustain", "icon": 0, "keyswitch": "C0", "keyswitchVelocity": 10},
            {"slot": 2, "name": "Sustain con sord.", "icon": 17, "keyswitch": "C0",
             "keyswitchVelocity": 40, "actions": [{"cc": 11, "value": 90}]},
            {"slot": 3, "name": "Snap pizz.", "icon": 10,
             "actions": [{"note": "D0", "velocity": 127, "channel": 2}]},
        ])

    def test_list_shows_our_own_map_or_state_with_latencies(self):
        with open(self.path("late.json"), "w") as f:
            f.write('{"slots": [{"slot": 3, "name": "Legato", "keyswitch": "C0", "latency": 250,'
                    ' "noteChannels": [2]}]}')
        self.run_ok("map-to-state", "late.json", "late.state")
        for name, kind in (("late.json", "a map (JSON)"), ("late.state", "a plug-in state")):
            run = self.run_ok("import", name, "--list")
            self.assertIn(name + ": " + kind + ", channel 1, 1 slot in use", run.out)
            self.assertIn("   3  Legato  ->  keyswitch C0 v127, latency 250 ms, notes on channel 2",
                          run.out)

    def test_selectors_that_fit_several_list_them_by_number(self):
        # Two libraries' banks both called "Violins", and two articulations
        # whose names differ only in case, as real banks have them.
        with open(self.path("two.reabank"), "w") as f:
            f.write('//! g="A/Strings" n="Violins"\nBank * * A Violins\n'
                    "//! o=note:24\n1 Legato\n//! o=note:25\n2 legato\n//! o=note:26\n3 2\n"
                    '//! g="B/Strings" n="Violins"\nBank * * B Violins\n//! o=note:30\n1 Sus\n')
        self.refused(("import", "two.reabank", "x.json", "--bank", "violins"),
                     'two.reabank: --bank: "violins" fits 2 banks: 1 "A Violins" ("Violins") in '
                     'group "A/Strings", 2 "B Violins" ("Violins") in group "B/Strings"; choose '
                     'one by its number or as GROUP/NAME, such as "B/Strings/Violins"')
        # The group tells them apart, whole or by its last parts.
        for bank in ("B/Strings/Violins", "strings/b violins"):
            self.run_ok("import", "two.reabank", "x.json", "--bank", bank)
            self.assertEqual([s["name"] for s in self.slots("x.json")], ["Sus"])
        self.refused(("import", "two.reabank", "x.json", "--bank", "1", "--pick", "LEGATO"),
                     '--pick: "LEGATO" fits 2 articulations: 1 "Legato", 2 "legato"')
        # colour takes the same selectors.
        self.refused(("colour", "two.reabank", "in.mid", "out.mid", "--bank", "Violins"),
                     '"Violins" fits 2 banks')
        run = self.run_ok("import", "two.reabank", "x.json", "--bank", "2")
        self.assertEqual([s["name"] for s in self.slots("x.json")], ["Sus"])
        run = self.run_ok("import", "two.reabank", "x.json", "--bank", "A violins ",
                          "--pick", "2,1")
        self.assertIn('warning: two.reabank: --pick 2 taken as articulation 2 "legato"; '
                      'articulation 3 "2" has that name too', run.err)
        self.assertEqual([s["name"] for s in self.slots("x.json")], ["legato", "Legato"])

    def test_every_command_that_takes_settings_takes_every_format(self):
        # One reader serves them all: the bank's violins act as their import does.
        self.run_ok("import", "strings.reabank", "violins.json", "--bank", "Violins")
        self.run_ok("render", "violins.json", PHRASE, "from-json.mid")
        violins = ("--bank", "Violins")
        for args in (("render", "strings.reabank", PHRASE, "r.mid"),
                     ("map-to-state", "strings.reabank", "v.state"),
                     ("state-to-map", "strings.reabank", "v.json"),
                     ("export", "strings.reabank", "v.expressionmap"),
                     ("screenshot", "strings.reabank", "shots"),
                     ("colour", "strings.reabank", KEYSWITCHED, "c.mid"),
                     ("edit", "strings.reabank", "e.json", "--close-after", "0.5")):
            with self.subTest(command=args[0]):
                self.run_ok(*args, *violins)
        self.assertEqual(self.read_bytes("r.mid"), self.read_bytes("from-json.mid"))
        self.assertEqual(self.read_bytes("v.state"), state_from_map({"slots": VIOLINS}))
        self.assertEqual(self.slots("v.json"), VIOLINS)
        self.assertEqual(self.slots("e.json"), VIOLINS)

        with open(self.path("notes.txt"), "w") as f:
            f.write("just some notes\n")
        for args, code, words in (
                (("render", "strings.reabank", PHRASE, "x.mid"), 1,
                 "strings.reabank: holds 2 banks; choose one with --bank NAME or NUMBER"),
                (("render", "notes.txt", PHRASE, "x.mid"), 1,
                 "notes.txt: not a settings file: neither a map (JSON), a plug-in state or "
                 "another program's map"),
                (("render", "violins.json", PHRASE, "x.mid", "--pick", "1"), 1,
                 "violins.json: --pick chooses from another program's map, and this is a map "
                 "(JSON) of the plug-in's own"),
                (("screenshot", "strings.reabank", "shots2", "--bank", "Violins", "--pick",
                  "2-1,1"), 1, '"1" takes articulation 1 "Legato" a second time'),
                (("map-to-state", "strings.reabank", "y.state", "--bank", "Violins", "--pick",
                  "1-17"), 1, '--pick: "1-17": there is no articulation 17'),
                (("edit", "new.json", "--pick", "1"), 2,
                 "new.json does not exist yet: --pick chooses from another program's map"),
                (("edit", "strings.reabank", "--bank", "Violins"), 2,
                 "strings.reabank is a Reaticulate bank (.reabank), which edit never writes over: "
                 "give OUT.json or OUT.state")):
            with self.subTest(args=args):
                before = self.files()
                run = plughost(*args, cwd=self.dir)
                self.assertEqual(run.code, code, run)
                self.assertIn(words, run.err)
                self.assertEqual(self.files(), before)

    def test_bad_files_name_file_line_and_problem(self):
        cases = {
            "outside.reabank": ("// x\n3 Legato\n", "line 2: program 3 stands outside a bank"),
            "range.reabank": ("Bank * * B\n//! o=cc:1,200\n1 A\n",
                              "line 3: output \"cc:1,200\": the value must be 0..127"),
            "empty.reabank": ("//! g=x\nBank * * B\n", "line 2: bank \"B\" holds no articulations"),
            "binary.plist": ("bplist00", "a binary property list"),
            "notes.txt": ("just some notes\n",
                          "not a settings file: neither a map (JSON), a plug-in state or another "
                          "program's map (.reabank, .expressionmap, .plist, .doricolib, .yaml, "
                          '.keyswitch); it begins "just some notes"'),
            "future.yaml": ("FormatVersion: 9\nArticulationGroups: []\n",
                            'line 1: FormatVersion "9" is not one this reader knows'),
            "bend.keyswitch": ('\ufeff<?xml version="1.0"?>\n<Music.KeySwitchList>\n'
                               '<Attributes name="A" activation="note24|pb3"/>\n'
                               "</Music.KeySwitchList>\n",
                               'line 3 ("A"): unknown activation token "pb3"'),
        }
        for name, (text, message) in cases.items():
            with self.subTest(name=name):
                with open(self.path(name), "w", encoding="utf-8") as f:
                    f.write(text)
                self.refused(("import", name, "out.json"), name + ": " + message)
                os.remove(self.path(name))

    def test_export_import_is_exact_in_every_format(self):
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        with open(EXAMPLE_MAP, encoding="utf-8") as f:
            expected = [{k: s[k] for k in SLOT_FIELDS if k in s} for s in json.load(f)["slots"]]
        for ext in (".reabank", ".expressionmap", ".plist", ".keyswitch"):
            with self.subTest(format=ext):
                run = self.run_ok("export", "strings.json", "out" + ext)
                # The slots come through whole; the controllers' start values have no place.
                warnings = [line for line in run.err.splitlines() if "warning" in line]
                self.assertEqual(len(warnings), 4, run.err)
                for line in warnings:
                    self.assertIn("warning: out" + ext + ": controller ", line)
                self.run_ok("import", "out" + ext, "back.json", "--strict")
                got = [{k: s[k] for k in SLOT_FIELDS if k in s} for s in self.slots("back.json")]
                self.assertEqual(got, expected)

    def test_additions_export_and_import_exactly(self):
        # Held and layered slots, bends and other channels: a .reabank holds
        # them all; the XML formats hold a shared part and warn for the rest.
        common = [
            {"slot": 1, "name": "Matrix", "icon": 2, "keyswitch": "C0", "uacc": 40,
             "keyswitchVelocity": 100, "actions": [{"note": "D0", "velocity": 90}]},
            {"slot": 2, "name": "Soft", "icon": 0, "modwheel": 30,
             "actions": [{"cc": 3, "value": 20}, {"program": 5}]},
        ]
        rich = common + [
            {"slot": 3, "name": "Layered", "icon": 1, "noteChannels": ["plug-in", 2],
             "transpose": -12, "actions": [{"note": "E0", "velocity": 127, "held": True},
                                            {"cc": 58, "value": 9, "channel": 3},
                                            {"pitchBend": -4096}]},
        ]
        for name, slots, formats in (("common.json", common, (".reabank", ".expressionmap",
                                                                ".plist", ".keyswitch")),
                                     ("rich.json", rich, (".reabank",))):
            self.write_json(name, {"slots": slots})
            for ext in formats:
                with self.subTest(map=name, format=ext):
                    run = self.run_ok("export", name, "out" + ext)
                    self.assertNotIn("warning", run.err)
                    self.run_ok("import", "out" + ext, "back.json", "--strict")
                    got = self.slots("back.json")
                    if ext in (".expressionmap", ".keyswitch"):  # no icons: from the names
                        for g, want in zip(got, slots):
                            g["icon"] = want["icon"]
                    self.assertEqual(got, slots)
        # Every item a format cannot hold gets a line of its own.
        run = self.run_ok("export", "rich.json", "out.plist")
        lost = 'plughost: warning: out.plist: slot 3 "Layered": '
        self.assertEqual([line for line in run.err.splitlines() if "warning" in line], [
            lost + "held note E0 v127 not kept: a .plist has no held notes; it is written as a "
                   "Note On",
            lost + "CC 58 = 9 on channel 3 not kept: a .plist output has no channel; it goes to "
                   "the track's",
            lost + "transpose -12 not kept: a .plist has no transpose",
            lost + "notes on channel 2 not kept: a .plist plays the notes on the track's channel",
        ])
        self.assertIn("3 slots as a Logic articulation set (.plist), 4 warnings, 0 notes", run.out)

    def test_export_keeps_slot_positions_and_reads_states(self):
        gaps = [{"slot": 2, "name": "Spiccato", "icon": 55, "uacc": "spiccato"},
                {"slot": 5, "name": "Harmonics", "icon": 127, "keyswitch": "G8", "modwheel": 0}]
        self.write_json("gaps.json", {"slots": gaps})
        self.run_ok("map-to-state", "gaps.json", "gaps.state")
        self.run_ok("export", "gaps.state", "gaps.reabank")
        self.run_ok("import", "gaps.reabank", "back.json", "--strict")
        gaps[0]["uacc"] = 42
        self.assertEqual(self.slots("back.json"), gaps)
        # A Cubase map has no place for an icon; the import takes it from the
        # name. That changes nothing sent, so it is a note, not a warning.
        run = self.run_ok("export", "gaps.state", "gaps.expressionmap")
        self.assertNotIn("warning", run.err)
        self.assertIn('note: gaps.expressionmap: slot 5 "Harmonics": icon 127 (harmonics-loud) comes '
                      "back as icon 16 (harmonics): an .expressionmap holds no icon", run.err)

        self.write_json("lossy.json", {"slots": [{"slot": 1, "name": " padded "}]})
        run = self.run_ok("export", "lossy.json", "lossy.reabank")
        self.assertIn('slot 1 " padded ": name " padded " comes back as name "padded"', run.err)
        # The map's channel and port have no place in any of the formats.
        self.write_json("routed.json", {"channel": 3, "port": 2, "slots": gaps})
        run = self.run_ok("export", "routed.json", "routed.plist")
        self.assertIn("warning: routed.plist: channel 3 not kept: a .plist has no channel of the "
                      "map's own", run.err)
        self.assertIn("warning: routed.plist: port 2 not kept", run.err)
        self.assertIn("2 slots as a Logic articulation set (.plist), 2 warnings", run.out)
        self.refused(("export", "lossy.json", "lossy.doricolib"), "lossy.doricolib")


if __name__ == "__main__":
    unittest.main()
