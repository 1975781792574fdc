"""What the terminal shows: the program's output exactly as it wrote it,
file contents quoted readably, and nothing from wine's own processes."""
import os
import subprocess

from plughost_support import EXAMPLES, EXE, WINE_RUN, PlughostTest

MAP = os.path.join(EXAMPLES, "strings.json")
PROJECT_PREFIX = os.environ.get(
    "WINEPREFIX", os.path.join(os.path.dirname(os.path.dirname(WINE_RUN)), "build", "wineprefix"))


class Terminal(PlughostTest):
    def wine_run(self, *args, env=None):
        return subprocess.run([WINE_RUN, *args], cwd=self.dir, env=env, capture_output=True,
                              timeout=240)

    def test_error_output_is_passed_on_whole(self):
        # Raw bytes and a line like wine's own noise, written by a Windows program.
        data = b"raw \xff\xfe\xe9 bytes\nX connection to :99 broken (explicit kill).\n"
        with open(self.path("raw.bin"), "wb") as f:
            f.write(data)
        run = self.wine_run("cmd", "/c", "type raw.bin 1>&2")
        self.assertEqual((run.returncode, run.stderr), (0, data))

    def test_a_message_quotes_raw_bytes_of_a_file_readably(self):
        with open(self.path("bad.json"), "wb") as f:
            f.write(b'{"channel": \xff}')
        run = self.wine_run(EXE, "map-to-state", "bad.json", "out.state")
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr.decode("ascii").rstrip(),
                         "plughost: bad.json: not UTF-8: byte 0xFF at line 1 column 13 "
                         "(Windows-1252 text? save the file as UTF-8)")

    def test_without_a_display_only_plughosts_own_output(self):
        # A prefix of its own has a wine server of its own, so wine's helper
        # processes start in this run and hold its display. A slow `cat`
        # gives them time to report the display's end before the script
        # would pass the output on.
        prefix = self.path("prefix")
        copied = subprocess.run(["cp", "-al", PROJECT_PREFIX, prefix], capture_output=True)
        if copied.returncode != 0:
            self.skipTest("cannot hard-link a copy of the wine prefix: " + copied.stderr.decode())
        env = dict(os.environ, WINEPREFIX=prefix)
        env.pop("DISPLAY", None)
        os.mkdir(self.path("slow"))
        with open(self.path("slow/cat"), "w") as f:
            f.write('#!/bin/sh\nsleep 2\nexec /bin/cat "$@"\n')
        os.chmod(self.path("slow/cat"), 0o755)
        env["PATH"] = self.path("slow") + os.pathsep + env["PATH"]

        run = self.wine_run(EXE, "screenshot", MAP, "shots", env=env)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60)  # before the prefix goes
        self.assertEqual((run.returncode, run.stderr), (0, b""))
        lines = run.stdout.decode().splitlines()
        self.assertEqual(len(lines), 3)
        self.assertTrue(all(line.startswith("Wrote shots") for line in lines), lines)
