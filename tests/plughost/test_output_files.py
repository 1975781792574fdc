"""Every output command writes its file whole or not at all, also when the
target folder is read-only or the disk is full: it fails naming the file and
leaves what was there unchanged, with no temporary file left behind.

Both cases use a 64 KiB tmpfs, which needs the right to mount (root ignores
folder permissions, so a read-only file system is how a folder becomes
unwritable for everyone). Where mounting is not allowed the tests say so and
are skipped."""
import os
import subprocess

from plughost_support import EXAMPLES, PlughostTest, contents, plughost, state_from_map

PHRASE = os.path.join(EXAMPLES, "phrase.mid")
MAP = os.path.join(EXAMPLES, "strings.json")


class OutputFiles(PlughostTest):
    def setUp(self):
        super().setUp()
        self.disk = self.path("disk")
        os.mkdir(self.disk)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", self.disk],
                                 capture_output=True, text=True)
        if mounted.returncode != 0:
            super().tearDown()
            self.skipTest("cannot mount a small tmpfs here, so a full disk and a read-only "
                          "folder are not tested: " + mounted.stderr.strip())
        with open(self.path("in.state"), "wb") as f:
            f.write(state_from_map({"channel": 4}))
        # What each command would overwrite.
        os.mkdir(os.path.join(self.disk, "shots"))
        for name in ("out.state", "out.json", "out.mid", "shots/editor-articulation.png"):
            with open(os.path.join(self.disk, name), "wb") as f:
                f.write(b"old " + name.encode())
        with open(os.path.join(self.disk, "edit.json"), "w") as f:
            f.write('{"channel": 2}')

    def tearDown(self):
        subprocess.run(["umount", self.disk], check=True)
        super().tearDown()

    def check_every_command_refused(self, reason):
        before = contents(self.disk)
        commands = [(("map-to-state", MAP, "disk/out.state"), "disk/out.state"),
                    (("state-to-map", "in.state", "disk/out.json"), "disk/out.json"),
                    (("render", MAP, PHRASE, "disk/out.mid"), "disk/out.mid"),
                    (("screenshot", MAP, "disk/shots"), "disk/shots/editor-articulation.png"),
                    (("edit", "disk/edit.json", "--close-after", "1"), "disk/edit.json")]
        for args, target in commands:
            with self.subTest(command=args[0]):
                run = plughost(*args, cwd=self.dir)
                self.assertEqual(run.code, 1, run)
                self.assertIn("cannot write " + target + ": ", run.err)
                self.assertIn(reason, run.err)
                self.assertEqual(contents(self.disk), before, "nothing changed, nothing left")

    def test_a_full_disk(self):
        fd = os.open(os.path.join(self.disk, "filler"), os.O_WRONLY | os.O_CREAT)
        try:
            while os.write(fd, b"\0" * 4096):
                pass
        except OSError:
            pass  # full
        finally:
            os.close(fd)
        self.check_every_command_refused("Windows error 112")

    def test_a_read_only_folder(self):
        subprocess.run(["mount", "-o", "remount,ro", self.disk], check=True)
        # Wine reports a read-only file system as access denied.
        self.check_every_command_refused("Windows error 5")
