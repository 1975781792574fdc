"""Note numbers and velocities survive the trip through the plug-in: every
note 0..127 with every velocity 1..127."""
import unittest

import mido

from plughost_support import PlughostTest, render_start, sent, write_midi


class NotesAndVelocities(PlughostTest):
    def test_every_note_with_every_velocity_round_trips(self):
        self.write_json("map.json", {"channel": 10})
        track, expected = [], []
        tick = 0
        for note in range(128):
            for velocity in range(1, 128):
                track.append((tick, mido.Message("note_on", channel=note % 16, note=note,
                                                 velocity=velocity)))
                track.append((tick + 1, mido.Message("note_off", channel=note % 16, note=note)))
                expected += [(tick, (0x99, note, velocity)), (tick + 1, (0x89, note, 0))]
                tick += 2
        write_midi(self.path("in.mid"), [track], ticks_per_beat=960, type=0)
        run = self.run_ok("render", "map.json", "in.mid", "out.mid")
        _, messages = sent(self.path("out.mid"))
        start = [(0, m) for m in render_start(9)]
        self.assertEqual(messages[:len(start)], start)
        got = messages[len(start):]
        self.assertEqual(len(got), len(expected))
        mismatches = [(g, e) for g, e in zip(got, expected) if g != e]
        self.assertEqual(mismatches[:5], [])
        self.assertIn("notes in:          16256", run.out)


if __name__ == "__main__":
    unittest.main()
