"""plughost's command line: help, and clear refusals of wrong use."""
import unittest

from plughost_support import PlughostTest, plughost


class CommandLine(PlughostTest):
    def test_help_lists_every_command(self):
        run = plughost("--help")
        self.assertEqual(run.code, 0, run)
        for command in ["map-to-state", "state-to-map", "render", "dump-midi", "edit",
                        "screenshot", "describe", "--dll"]:
            self.assertIn(command, run.out)

    def test_wrong_use_exits_2_and_says_what_is_wrong(self):
        cases = [((), "no command"),
                 (("transmogrify",), "unknown command 'transmogrify'"),
                 (("render", "a.json", "b.mid"), "render takes SETTINGS INPUT.mid OUTPUT.mid"),
                 (("map-to-state", "a.json"), "map-to-state takes MAP STATE"),
                 (("--frobnicate", "describe"), "unknown option --frobnicate"),
                 (("describe", "--dll"), "--dll needs a path"),
                 (("dump-midi", "x.mid", "--limit", "many"), "--limit needs a number"),
                 (("render", "a.json", "b.mid", "c.mid", "--pan", "128"), "--pan needs a value"),
                 (("retarget", "a", "b", "c.mid", "d.mid", "--volume", "loud"),
                  "--volume needs a value 0..127, not 'loud'"),
                 (("render", "a.json", "b.mid", "c.mid", "--volume"), "--volume needs a value"),
                 (("colour", "a.json", "b.mid", "c.mid", "--pan", "3"),
                  "unknown option --pan for colour (it belongs to render and retarget)"),
                 (("dump-midi", "x.mid", "--picture", "x.png"), "unknown option --picture"),
                 (("colour", "a.json", "b.mid", "c.mid", "--lead", "5"),
                  "unknown option --lead for colour (it belongs to render and retarget)"),
                 (("dump-midi", "x.mid", "--compensate"),
                  "--compensate for dump-midi (it belongs to render, colour and retarget)"),
                 (("render", "a.json", "b.mid", "c.mid", "--lead", "150"),
                  "--lead needs a whole number of milliseconds 0..100, not '150'")]
        for args, words in cases:
            with self.subTest(args=args):
                run = plughost(*args, cwd=self.dir)
                self.assertEqual(run.code, 2, run)
                self.assertIn(words, run.err)
                self.assertEqual(self.files(), [])

    def test_describe_shows_the_descriptor(self):
        run = self.run_ok("describe")
        self.assertIn("parameters         127", run.out)
        self.assertIn("Instance destroyed.", run.out)


if __name__ == "__main__":
    unittest.main()
