#!/usr/bin/python3
"""Writes keyswitched.mid: the phrase of make_phrase.py as a part written
for a sample library without the plug-in, the way older projects hold it:
every note on channel 1, and before each change of articulation the
library's keyswitch note (a thirty-second long) and its UACC value (CC 32),
an eighth of a beat ahead of the note. The keyswitches and UACC values are
those of strings.json, so `plughost colour examples/strings.json` gives the
coloured phrase back.

The performance controllers (dynamics on CC 1, expression, pan, volume) are
written after the notes that start at their tick, as sequencers list them;
a CC 1 right before a note at its tick would be read as a modwheel switch.

Run with Debian's interpreter, which has python3-mido:
    /usr/bin/python3 examples/make_keyswitched_phrase.py [OUTPUT]
"""
import json
import os
import sys

import mido

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_phrase  # noqa: E402  (the notes, controllers and tempi)

AHEAD = make_phrase.TICKS // 8
LENGTH = make_phrase.TICKS // 8


def note_number(name):
    names = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
    letters = name[:2] if name[1:2] == "#" else name[:1]
    return names.index(letters) + 12 * (int(name[len(letters):]) + 2)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "keyswitched.mid"
    with open(os.path.join(HERE, "strings.json"), encoding="utf-8") as f:
        slots = {s["slot"]: s for s in json.load(f)["slots"]}

    events = [(0, 0, 0, mido.MetaMessage("track_name", name="Violins I (keyswitched)"))]
    current = None
    for start, length, note, velocity, slot in sorted(make_phrase.NOTES):
        if slot != current:
            current = slot
            at = max(0, start - AHEAD)
            keyswitch = note_number(slots[slot]["keyswitch"])
            events.append((at, 1, 0, mido.Message("note_on", note=keyswitch, velocity=100)))
            events.append((at + LENGTH, 0, 0, mido.Message("note_off", note=keyswitch)))
            events.append((at, 1, 1, mido.Message("control_change", control=32,
                                                  value=slots[slot]["uacc"])))
        events.append((start, 2, 0, mido.Message("note_on", note=note, velocity=velocity)))
        events.append((start + length, 0, 0, mido.Message("note_off", note=note)))
    for tick, cc, value in make_phrase.CONTROLLERS:
        events.append((tick, 3, 0, mido.Message("control_change", control=cc, value=value)))

    track = mido.MidiTrack()
    now = 0
    for tick, _, _, message in sorted(events, key=lambda e: e[:3]):
        track.append(message.copy(time=tick - now))
        now = tick
    conductor = [(0, 0, mido.MetaMessage("track_name", name="Tempo")),
                 (0, 1, mido.MetaMessage("time_signature", numerator=4, denominator=4))]
    conductor += [(t, 2, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(b)))
                  for t, b in make_phrase.TEMPI]
    midi = mido.MidiFile(type=1, ticks_per_beat=make_phrase.TICKS)
    midi.tracks.append(make_phrase.track(conductor))
    midi.tracks.append(track)
    midi.save(out)
    print(f"wrote {out}: {len(make_phrase.NOTES)} notes on channel 1, keyswitched")


if __name__ == "__main__":
    main()
