"""No command writes over one of its inputs: an output that names an input,
by any path that leads to the same file, is refused before anything is
read, naming both, with exit status 2 and every file left as it was."""
import os
import shutil
import unittest

from plughost_support import EXAMPLES, EXE, PlughostTest, contents, plughost, state_from_map


class InputsKept(PlughostTest):
    def setUp(self):
        super().setUp()
        shutil.copy(os.path.join(EXAMPLES, "strings.json"), self.path("map.json"))
        shutil.copy(os.path.join(EXAMPLES, "chamber_strings.json"), self.path("chamber.json"))
        shutil.copy(os.path.join(EXAMPLES, "phrase.mid"), self.path("in.mid"))
        shutil.copy(self.path("in.mid"), self.path("out.mid.partial"))
        shutil.copy(self.path("map.json"), self.path("x.reabank"))
        shutil.copy(os.path.join(os.path.dirname(EXE), "QuindleVelmora.dll"), self.path("Q.dll"))
        os.symlink("in.mid", self.path("link.mid"))
        os.link(self.path("in.mid"), self.path("hard.mid"))
        os.link(self.path("in.mid"), self.path("roll.png"))
        os.mkdir(self.path("sub"))
        os.mkdir(self.path("shots"))
        state = state_from_map({"channel": 2})
        for name in ("s.state", "shots/editor-settings.png"):
            with open(self.path(name), "wb") as f:
                f.write(state)

    def test_an_output_that_is_an_input_by_any_path_is_refused(self):
        here = os.path.join(self.dir, "in.mid")
        cases = [
            (("render", "map.json", "in.mid", "in.mid"),
             "render: the output in.mid is the input in.mid; nothing written"),
            (("render", "map.json", "in.mid", "IN.MID"),
             "the output IN.MID is the input in.mid (the same file)"),
            (("colour", "map.json", "in.mid", "sub/../in.mid"), "the output sub/../in.mid is"),
            (("render", "map.json", "in.mid", here), "the output " + here + " is the input"),
            (("render", "map.json", "link.mid", "in.mid"), "the input link.mid (the same file)"),
            (("retarget", "map.json", "chamber.json", "in.mid", "hard.mid"),
             "retarget: the output hard.mid is the input in.mid"),
            (("retarget", "map.json", "chamber.json", "in.mid", "CHAMBER.json"),
             "the output CHAMBER.json is the map chamber.json"),
            (("render", "map.json", "in.mid", "out.png", "--picture", "OUT.png"),
             "the picture OUT.png is the output out.png"),
            (("colour", "map.json", "in.mid", "out.mid", "--picture", "roll.png"),
             "the picture roll.png is the input in.mid"),
            (("map-to-state", "map.json", "./MAP.JSON"), "the state ./MAP.JSON is the map map.json"),
            (("state-to-map", "s.state", "sub/../s.state"), "the map sub/../s.state is the state"),
            (("import", "map.json", "Map.json"), "import: the output Map.json is the file map.json"),
            (("export", "x.reabank", "./x.reabank"), "export: the output ./x.reabank is the map"),
            (("screenshot", "shots/editor-settings.png", "shots"),
             "editor-settings.png is the settings shots/editor-settings.png"),
            (("render", "map.json", "out.mid.partial", "out.mid"),
             "the output out.mid would be written through out.mid.partial, which is the input"),
            (("--dll", "Q.dll", "render", "map.json", "in.mid", "q.DLL"),
             "the output q.DLL is the plug-in Q.dll"),
        ]
        for args, words in cases:
            with self.subTest(args=args):
                before = contents(self.dir)
                run = plughost(*args, cwd=self.dir)
                self.assertEqual(run.code, 2, run)
                self.assertIn(words, run.err)
                self.assertEqual(contents(self.dir), before, "every file as it was")

    def test_other_files_of_the_same_name_or_content_are_written(self):
        # The same name in another folder, and a copy with the input's size
        # and time: other files, so their outputs are written.
        shutil.copy2(self.path("in.mid"), self.path("copy.mid"))
        self.run_ok("render", "map.json", "in.mid", "sub/in.mid")
        self.run_ok("colour", "map.json", "in.mid", "copy.mid")
        self.assertNotEqual(self.read_bytes("copy.mid"), self.read_bytes("in.mid"))


if __name__ == "__main__":
    unittest.main()
