"""The release zip, unpacked as a user would into a folder whose path holds
spaces and non-ASCII letters, and run from there: its plughost.exe loads its
DLL, renders the example phrase and pictures the editor exactly as the build
itself does. Without the font beside the DLL the panel's captions take
another face, so equal pictures also show that the font is found.

Usage (CTest): test_install.py PACKAGE-COMMAND...  (the zip goes to --out)
"""
import hashlib
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

VERSION = os.environ["PACKAGE_VERSION"]
WORK = os.environ["PACKAGE_WORK"]
BUILD_EXE = os.environ["PLUGHOST_EXE"]
WINE_RUN = os.environ["PLUGHOST_WINE_RUN"]
EXAMPLES = os.environ["PLUGHOST_EXAMPLES"]
PACKAGE_COMMAND = []
PAGES = ["articulation", "controllers", "settings"]


def run(exe, *args, cwd):
    done = subprocess.run([WINE_RUN, exe, *args], cwd=cwd, capture_output=True, timeout=240)
    # plughost writes UTF-8, lines end in CR LF.
    def text(data):
        return data.decode("utf-8").replace("\r\n", "\n")

    return done.returncode, text(done.stdout), text(done.stderr)


class InstalledPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        subprocess.run(PACKAGE_COMMAND + ["--out", os.path.join(WORK, "dist")], check=True,
                       capture_output=True)
        cls.zip = os.path.join(WORK, "dist", f"QuindleVelmora-{VERSION}-win32.zip")
        cls.folder = os.path.join(WORK, "Plug-ins", "Quindle Velmora – Überprüfung")
        with zipfile.ZipFile(cls.zip) as archive:
            cls.entries = archive.infolist()
            archive.extractall(cls.folder)
        cls.reference = os.path.join(WORK, "build-reference")
        os.makedirs(cls.reference)
        cls.exe = os.path.join(cls.folder, "plughost.exe")

    def packaged(self, *args):
        code, out, err = run(self.exe, *args, cwd=self.folder)
        self.assertEqual(code, 0, f"{args}\n{out}\n{err}")
        return out

    def built(self, *args):
        code, out, err = run(BUILD_EXE, *args, cwd=self.reference)
        self.assertEqual(code, 0, f"{args}\n{out}\n{err}")
        return out

    def read(self, *parts):
        with open(os.path.join(*parts), "rb") as f:
            return f.read()

    def test_the_zip_holds_what_its_checksums_list(self):
        names = [e.filename for e in self.entries]
        self.assertEqual(names, sorted(names))
        self.assertEqual({e.date_time for e in self.entries}, {self.entries[0].date_time})
        listed = {}
        for line in self.read(self.folder, "SHA256SUMS").decode().splitlines():
            digest, name = line.split("  ", 1)
            listed[name] = digest
        self.assertEqual(set(listed) | {"SHA256SUMS"}, set(names))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(self.read(self.folder, name)).hexdigest(), digest, name)
        for name in ["QuindleVelmora.dll", "plughost.exe", "Artwork/Fonts/Cuprum/Cuprum.ttf",
                     "Artwork/Fonts/Cuprum/OFL.txt", "Guide.txt", "examples/strings.json",
                     "examples/phrase.mid", "Licenses/README.txt", "Licenses/zlib.txt",
                     "Licenses/Factory maps/NOTICE.txt",
                     "Licenses/Factory maps/LICENSE-ArticulationMappingFiles.txt",
                     "Licenses/Factory maps/LICENSE-reaticulate.txt",
                     "Licenses/Factory maps/LICENSE-studio-one-user-presets.txt"]:
            self.assertIn(name, listed)
        self.assertFalse([n for n in names if n.endswith(".py")])

    def test_plughost_loads_the_dll_beside_it_and_tells_the_version(self):
        self.assertEqual(self.packaged("--version").strip(), f"plughost {VERSION}")
        out = self.packaged("describe")
        self.assertIn("Überprüfung\\QuindleVelmora.dll", out)
        self.assertIn(f"Version {VERSION}\n", out)
        self.assertIn('long name          "Quindle Velmora"', out)

    def test_render_and_pictures_match_the_build(self):
        self.built("render", os.path.join(EXAMPLES, "strings.json"),
                   os.path.join(EXAMPLES, "phrase.mid"), "out.mid")
        self.packaged("render", "examples\\strings.json", "examples\\phrase.mid", "out.mid")
        self.assertEqual(self.read(self.folder, "out.mid"), self.read(self.reference, "out.mid"))

        # One PNG encoder on both sides: equal bytes are equal pixels.
        self.built("screenshot", os.path.join(EXAMPLES, "strings.json"), "shots")
        self.packaged("screenshot", "examples\\strings.json", "shots")
        for page in PAGES:
            with self.subTest(page=page):
                name = f"editor-{page}.png"
                self.assertEqual(self.read(self.folder, "shots", name),
                                 self.read(self.reference, "shots", name))


if __name__ == "__main__":
    PACKAGE_COMMAND[:] = sys.argv[1:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
