"""The editor in the host's window: screenshots of the three pages, and an
editing session that writes the map back when the window closes."""
import json
import os
import shutil
import struct
import subprocess
import time
import unittest
import zlib

from plughost_support import EXAMPLES, EXE, WINE_RUN, PlughostTest, plughost, state_from_map

EXAMPLE_MAP = os.path.join(EXAMPLES, "strings.json")
WINDOW_TEXT = os.environ.get("PLUGHOST_WINDOW_TEXT",
                             os.path.join(os.path.dirname(EXE), "plughost_window_text.exe"))
PAGES = ["articulation", "controllers", "settings"]


def read_png(path):
    """(width, height, rows of RGB bytes), checking every chunk's CRC."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        (crc,) = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"CRC of {kind}"
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert (depth, colour, interlace) == (8, 2, 0), header
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    assert len(raw) == stride * height
    rows = []
    for y in range(height):
        assert raw[y * stride] == 0, "filter type none"
        rows.append(raw[y * stride + 1:(y + 1) * stride])
    return width, height, rows


class Screenshots(PlughostTest):
    def test_three_pages_as_png(self):
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        run = self.run_ok("screenshot", "strings.json", "shots")
        pictures = {}
        for page in PAGES:
            width, height, rows = read_png(self.path(f"shots/editor-{page}.png"))
            self.assertIn(f"editor-{page}.png", run.out)
            # The panel is a 240 x 240 design; wine's dialog metrics may take
            # a row or so off its client area.
            self.assertEqual(width, 240)
            self.assertGreaterEqual(height, 230)
            self.assertGreater(len(set(rows)), 20, f"{page}: a painted panel, not a blank")
            pictures[page] = rows
        self.assertEqual(len({tuple(r) for r in pictures.values()}), 3, "the pages differ")
        self.assertEqual(sorted(os.listdir(self.path("shots"))),
                         [f"editor-{p}.png" for p in PAGES])
        # The settings in the file are not changed by taking pictures.
        self.assertEqual(self.read_bytes("strings.json"), open(EXAMPLE_MAP, "rb").read())


class EditSession(PlughostTest):
    def test_closing_without_changes_writes_the_same_map(self):
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        os.utime(self.path("strings.json"), (0, 0))
        run = self.run_ok("edit", "strings.json", "--close-after", "1")
        self.assertIn("Saved strings.json", run.out)
        self.assertNotEqual(os.stat(self.path("strings.json")).st_mtime, 0, "written again")
        self.assertEqual(self.read_bytes("strings.json"), open(EXAMPLE_MAP, "rb").read())
        self.assertEqual(self.files(), ["strings.json"])

    def test_a_new_map_starts_from_a_new_instance(self):
        self.run_ok("edit", "new.json", "--close-after", "1")
        with open(self.path("new.json")) as f:
            m = json.load(f)
        self.assertEqual(m["channel"], 1)
        self.assertEqual(m["page"], "controllers")
        self.assertEqual(m["slots"], [])

    def test_a_state_is_edited_and_saved_back_as_a_state(self):
        # Its content says it is a state, whatever its name; a new file is a
        # state when its name ends in .state.
        shutil.copy(EXAMPLE_MAP, self.path("strings.json"))
        self.run_ok("map-to-state", "strings.json", "strings.bin")
        before = self.read_bytes("strings.bin")
        run = self.run_ok("edit", "strings.bin", "--close-after", "1")
        self.assertIn("Editing strings.bin (a state)", run.out)
        self.assertIn("Saved strings.bin (state)", run.out)
        self.assertEqual(self.read_bytes("strings.bin"), before)
        run = self.run_ok("edit", "new.STATE", "--close-after", "1")
        self.assertIn("Editing new.STATE (new state)", run.out)
        self.assertEqual(self.read_bytes("new.STATE"), state_from_map({}))

    def test_a_bad_map_is_refused_and_kept(self):
        self.write_json("bad.json", {"slots": [{"slot": 1, "icon": 300}]})
        before = self.read_bytes("bad.json")
        run = plughost("edit", "bad.json", "--close-after", "1", cwd=self.dir)
        self.assertEqual(run.code, 1, run)
        self.assertIn("bad.json: slots[0].icon", run.err)
        self.assertEqual(self.read_bytes("bad.json"), before)

    @unittest.skipUnless(shutil.which("xdotool") and os.environ.get("DISPLAY"),
                         "needs xdotool and an X display")
    def test_real_pointer_and_keys_edit_the_map(self):
        """Through the window system, as a user: a click on the settings tab,
        the host's parameter menu on the Dynamics slider, and the host's text
        dialog for a slot name. The map written on closing holds all three."""
        m = json.load(open(EXAMPLE_MAP))
        m["page"] = "controllers"
        self.write_json("m.json", m)
        with EditorWindow(self.dir, "m.json") as editor:
            # Controller page: right-click the Dynamics slider, take the
            # menu's first entry ("Set to 0") with the keyboard.
            editor.click(202, 115, button=3)
            editor.keys("Down", "Return")
            # Articulation tab, then right-click the name box: our dialog.
            editor.click(6 + 22, 207)
            editor.click(50, 113, button=3)
            editor.type_text("Long legato")
            editor.keys("Return")
            # Settings tab last: the page saved with the map.
            editor.click(6 + 90 + 22, 207)
            # Closed as a user closes it.
            editor.keys("alt+F4")
        self.assertEqual(editor.returncode, 0, editor.err)
        with open(self.path("m.json"), encoding="utf-8") as f:
            saved = json.load(f)
        self.assertEqual(saved["page"], "settings")
        self.assertEqual(saved["controllers"]["Dynamics"], 0)
        self.assertEqual(saved["slots"][0]["name"], "Long legato")
        self.assertEqual(saved["slots"][1:], m["slots"][1:])

    @unittest.skipUnless(shutil.which("xdotool") and os.environ.get("DISPLAY"),
                         "needs xdotool and an X display")
    def test_the_map_menu_copies_and_pastes_the_map_through_the_clipboard(self):
        """The panel's map menu in our window, through the window system: the
        hint where the panel has no region, a real double-click, "Copy map",
        then a change, then "Paste map", which brings the copied map back."""
        m = json.load(open(EXAMPLE_MAP))
        m["page"] = "controllers"
        self.write_json("m.json", m)
        with EditorWindow(self.dir, "m.json") as editor:
            editor.move(120, 97)
            self.assertEqual(editor.status(), "Double-click: load, save, copy or paste a map")
            editor.click(120, 97, repeat=2)
            # Load map, Factory maps, Community maps, Save map as, then Copy map.
            editor.keys("Down", "Down", "Down", "Down", "Down", "Return")
            self.assertEqual(editor.status(), "Copied the map to the clipboard as text")
            editor.click(6 + 90 + 22, 207)  # the settings tab
            editor.click(120, 97, repeat=2)
            editor.keys("Down", "Down", "Down", "Down", "Down", "Down", "Return")  # Paste map
            loaded = editor.status()
            self.assertTrue(loaded.startswith("Loaded "), loaded)
            self.assertIn("the clipboard", loaded)
            self.assertEqual(editor.title(), "plughost - m.json", "the title stays the file's")
            editor.keys("alt+F4")
        self.assertEqual(editor.returncode, 0, editor.err)
        # Every message reaches the console too, whole; the hint stays in
        # the window.
        lines = editor.out.splitlines()
        self.assertIn("Copied the map to the clipboard as text", lines)
        self.assertIn(loaded.splitlines()[0], lines)
        self.assertIn(loaded, editor.out.replace("\r\n", "\n"))
        self.assertNotIn("Double-click", editor.out)
        with open(self.path("m.json"), encoding="utf-8") as f:
            saved = json.load(f)
        self.assertEqual(saved["page"], "controllers", "the page of the map pasted")
        self.assertEqual(saved["slots"], m["slots"])

class EditorWindow:
    """plughost edit running, driven with xdotool. It closes by itself after
    a while, should a test fail to close it."""

    def __init__(self, folder, map_name):
        self.folder, self.map_name = folder, map_name

    def __enter__(self):
        self.process = subprocess.Popen([WINE_RUN, EXE, "edit", self.map_name,
                                         "--close-after", "40"], cwd=self.folder,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.window = None
        for _ in range(200):
            found = subprocess.run(["xdotool", "search", "--name",
                                    "plughost - " + self.map_name],
                                   capture_output=True, text=True)
            if found.stdout.split():
                self.window = found.stdout.split()[0]
                break
            time.sleep(0.05)
        if self.window is None:
            self.process.kill()
            raise AssertionError("the editor window did not appear")
        time.sleep(1.0)
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.window],
                                  capture_output=True, text=True).stdout
        values = dict(line.split("=") for line in geometry.split())
        self.x, self.y = int(values["X"]), int(values["Y"])
        return self

    def click(self, x, y, button=1, repeat=1):
        subprocess.run(["xdotool", "mousemove", str(self.x + x), str(self.y + y)], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button)],
                       check=True)
        time.sleep(0.6)

    def move(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(self.x + x), str(self.y + y)], check=True)
        time.sleep(0.5)

    def title(self):
        return subprocess.run(["xdotool", "getwindowname", self.window],
                              capture_output=True, text=True).stdout.strip()

    def status(self):
        """The text of the window's status line, as another program reads it."""
        run = subprocess.run([WINE_RUN, WINDOW_TEXT, "plughost - " + self.map_name],
                             capture_output=True, timeout=60)
        assert run.returncode == 0, run
        return run.stdout.decode("utf-8")

    def keys(self, *names):
        for name in names:
            subprocess.run(["xdotool", "key", name], check=True)
            time.sleep(0.3)

    def type_text(self, text):
        subprocess.run(["xdotool", "key", "ctrl+a"], check=True)
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
        time.sleep(0.3)

    def __exit__(self, *exc):
        try:
            self.out, self.err = self.process.communicate(timeout=60)
        finally:
            if self.process.poll() is None:
                self.process.kill()
        self.returncode = self.process.returncode
        return False


if __name__ == "__main__":
    unittest.main()
