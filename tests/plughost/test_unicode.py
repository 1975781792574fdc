"""File names and text beyond the system's code page: plughost reads and
writes each file under exactly the name it is given (CJK, Greek, emoji),
fails and says so when it cannot, and prints every name as UTF-8.

Names reach wine as UTF-8 bytes whatever the caller's locale, so the runs
here set a UTF-8 locale; the output is read as bytes, not decoded."""
import json
import os
import shutil
import subprocess
import unittest

import mido

from plughost_support import EXAMPLES, EXE, WINE_RUN, PlughostTest

UTF8_LOCALE = dict(os.environ, LC_ALL="C.UTF-8")


class Run:
    def __init__(self, completed):
        self.code = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr

    def __repr__(self):
        return f"exit {self.code}\n--- stdout\n{self.out!r}\n--- stderr\n{self.err!r}"


class UnicodeNames(PlughostTest):
    def plughost(self, *args):
        completed = subprocess.run([WINE_RUN, EXE, *args], cwd=self.dir, env=UTF8_LOCALE,
                                   capture_output=True, timeout=240)
        return Run(completed)

    def ok(self, *args):
        run = self.plughost(*args)
        self.assertEqual(run.code, 0, run)
        return run

    def copy(self, source, name):
        shutil.copy(source, self.path(name))
        return name

    def test_import_export_and_state_conversions_write_exactly_the_names_given(self):
        source = self.copy(os.path.join(EXAMPLES, "strings.reabank"), "弦楽器 Ωmega.reabank")
        run = self.ok("import", source, "sortie-Ω.json", "--bank", "1")
        self.assertIn("弦楽器 Ωmega.reabank -> sortie-Ω.json".encode(), run.out)
        self.assertEqual(self.files(), sorted([source, "sortie-Ω.json"]))
        with open(self.path("sortie-Ω.json"), encoding="utf-8") as f:
            self.assertEqual(json.load(f)["slots"][0]["name"], "Legato")

        self.ok("export", "sortie-Ω.json", "導出 🎻.reabank")
        self.ok("map-to-state", "sortie-Ω.json", "état Ωmega 🎻.state")
        run = self.ok("state-to-map", "état Ωmega 🎻.state", "карта-Ω.json")
        self.assertIn("état Ωmega 🎻.state -> карта-Ω.json".encode(), run.out)
        self.assertEqual(self.files(), sorted([source, "sortie-Ω.json", "導出 🎻.reabank",
                                               "état Ωmega 🎻.state", "карта-Ω.json"]))
        with open(self.path("導出 🎻.reabank"), encoding="utf-8") as f:
            self.assertIn("Legato", f.read())
        with open(self.path("карта-Ω.json"), encoding="utf-8") as f:
            back = json.load(f)
        with open(self.path("sortie-Ω.json"), encoding="utf-8") as f:
            self.assertEqual(back["slots"], json.load(f)["slots"])

    def test_render_reads_and_writes_midi_and_its_picture_under_their_names(self):
        settings = self.copy(os.path.join(EXAMPLES, "strings.json"), "設定-Ω.json")
        phrase = self.copy(os.path.join(EXAMPLES, "phrase.mid"), "入力 🎹.mid")
        run = self.ok("render", settings, phrase, "出力-Ω.mid", "--picture", "絵-😀.png")
        self.assertIn("Wrote 出力-Ω.mid".encode(), run.out)
        self.assertIn("Wrote 絵-😀.png".encode(), run.out)
        self.assertEqual(self.files(), sorted([settings, phrase, "出力-Ω.mid", "絵-😀.png"]))
        self.assertGreater(len(mido.MidiFile(self.path("出力-Ω.mid")).tracks), 1)
        self.assertEqual(self.read_bytes("絵-😀.png")[:8], b"\x89PNG\r\n\x1a\n")

    def test_the_dll_a_midi_file_and_a_folder_of_pictures_beyond_the_code_page(self):
        dll = os.path.join(os.path.dirname(EXE), "QuindleVelmora.dll")
        os.mkdir(self.path("プラグイン Ω"))
        shutil.copy(dll, self.path("プラグイン Ω/Velmora-Ω.dll"))
        run = self.ok("--dll", "プラグイン Ω/Velmora-Ω.dll", "describe")
        self.assertIn("Velmora-Ω.dll".encode(), run.out)
        phrase = self.copy(os.path.join(EXAMPLES, "phrase.mid"), "フレーズ Ω.mid")
        run = self.ok("dump-midi", phrase, "--limit", "1")
        self.assertTrue(run.out.startswith("フレーズ Ω.mid: format 1".encode()), run)
        settings = self.copy(os.path.join(EXAMPLES, "strings.json"), "Ωmega.json")
        self.ok("screenshot", settings, "画面 Ω/🎻")
        self.assertEqual(sorted(os.listdir(self.path("画面 Ω/🎻"))),
                         ["editor-articulation.png", "editor-controllers.png",
                          "editor-settings.png"])

    def test_an_output_that_cannot_be_written_fails_and_says_why(self):
        source = self.copy(os.path.join(EXAMPLES, "strings.json"), "Ωmega.json")
        run = self.plughost("map-to-state", source, "nulle-part-Ω/état-Ω.state")
        self.assertEqual(run.code, 1, run)
        self.assertIn("cannot write nulle-part-Ω/état-Ω.state".encode(), run.err)
        self.assertEqual(self.files(), [source], "nothing written, under no other name either")

    def test_an_output_that_is_an_input_under_another_case_is_refused(self):
        self.copy(os.path.join(EXAMPLES, "strings.json"), "Ωmega.json")
        self.ok("map-to-state", "Ωmega.json", "Ωmega.state")
        before = self.read_bytes("Ωmega.state")
        run = self.plughost("map-to-state", "Ωmega.state", "ωMEGA.state")
        self.assertEqual(run.code, 2, run)
        self.assertIn("map-to-state: the state ωMEGA.state is the map Ωmega.state (the same file)".encode(), run.err)
        self.assertEqual(self.read_bytes("Ωmega.state"), before)
        self.assertEqual(self.files(), ["Ωmega.json", "Ωmega.state"])

    def test_a_slot_name_beyond_ascii_is_printed_as_utf8(self):
        with open(os.path.join(EXAMPLES, "strings.json"), encoding="utf-8") as f:
            m = json.load(f)
        m["slots"][0]["name"] = "Détaché – doux"
        self.write_json("m.json", m)
        run = self.ok("colour", "m.json", os.path.join(EXAMPLES, "keyswitched.mid"), "out.mid")
        self.assertIn('  slot 1 "Détaché – doux": '.encode(), run.out)
        run.out.decode("utf-8")  # nothing else in another encoding
        run = self.ok("import", "m.json", "--list")
        self.assertIn("Détaché – doux".encode(), run.out)

    def test_edit_names_its_files_in_utf8_and_saves_under_the_name_given(self):
        source = self.copy(os.path.join(EXAMPLES, "strings.json"), "弦楽器-Ω.json")
        run = self.ok("edit", source, "出力 🎻.json", "--close-after", "1")
        self.assertIn("Editing 弦楽器-Ω.json (".encode(), run.out)
        self.assertIn("Saved 出力 🎻.json (map)".encode(), run.out)
        self.assertEqual(self.files(), sorted([source, "出力 🎻.json"]))
        with open(self.path("出力 🎻.json"), encoding="utf-8") as f:
            saved = json.load(f)
        with open(self.path(source), encoding="utf-8") as f:
            self.assertEqual(saved["slots"], json.load(f)["slots"])


if __name__ == "__main__":
    unittest.main()
