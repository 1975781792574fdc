#!/usr/bin/python3
"""Writes phrase.mid: an eight-bar string phrase whose note channels are the
note colours a composer picks in the host (channel 1 = colour 0 = slot 1).

It walks through the articulations of strings.json: legato, sustain,
staccato, spiccato, pizzicato, tremolo, marcato and col legno, with a
dynamics swell on CC 1, expression on CC 11, pan and volume, and a
ritardando (tempo changes). Format 1 with a tempo track; mido writes
running status.

Run with Debian's interpreter, which has python3-mido:
    /usr/bin/python3 examples/make_phrase.py [OUTPUT]
"""
import sys

import mido

TICKS = 480  # per quarter note
Q, E, S, H, W = TICKS, TICKS // 2, TICKS // 4, TICKS * 2, TICKS * 4

# Slot numbers as the map shows them (1..16); the channel is the slot.
LEGATO, SUSTAIN, STACCATO, SPICCATO, PIZZICATO, TREMOLO, MARCATO, COL_LEGNO = range(1, 9)

# (start tick, length, note, velocity, slot)
NOTES = []


def line(start, slot, notes, velocity, gap=0):
    """Consecutive notes of one slot; a gap shortens each, a negative gap
    makes them overlap (legato)."""
    t = start
    for note, length in notes:
        NOTES.append((t, length - gap, note, velocity, slot))
        t += length
    return t


bar = lambda n: (n - 1) * W

# Bar 1: a legato line whose notes overlap a little, as legato is played.
line(bar(1), LEGATO, [(69, H), (71, Q), (72, Q)], 84, gap=-30)
# Bar 2: one long sustained note under a dynamics swell.
line(bar(2), SUSTAIN, [(74, W)], 70, gap=20)
# Bar 3: staccato eighths.
line(bar(3), STACCATO, [(76, E), (74, E), (72, E), (71, E), (69, E), (67, E), (69, E), (71, E)],
     96, gap=120)
# Bar 4: spiccato sixteenths, then two pizzicato notes.
t = line(bar(4), SPICCATO, [(72, S), (74, S), (72, S), (71, S), (69, S), (71, S), (72, S), (74, S)],
         88, gap=40)
line(t, PIZZICATO, [(62, Q), (55, Q)], 110, gap=200)
# Bar 5: tremolo under a crescendo.
line(bar(5), TREMOLO, [(69, W)], 60, gap=10)
# Bar 6: marcato quarters, loud.
line(bar(6), MARCATO, [(81, Q), (79, Q), (77, Q), (76, Q)], 118, gap=60)
# Bar 7: col legno, soft.
line(bar(7), COL_LEGNO, [(74, Q), (74, Q), (72, Q), (71, Q)], 52, gap=100)
# Bar 8: back to legato for the last note.
line(bar(8), LEGATO, [(69, W)], 76, gap=0)

# (tick, controller, value): the performance controllers, on channel 1.
CONTROLLERS = [(0, 7, 100), (0, 10, 64), (0, 11, 110)]
CONTROLLERS += [(bar(2) + i * Q // 2, 1, v) for i, v in enumerate([60, 70, 80, 90, 100, 90, 80, 70])]
CONTROLLERS += [(bar(5) + i * Q, 1, v) for i, v in enumerate([50, 75, 100, 127])]
CONTROLLERS += [(bar(8), 11, 90)]

# Tempo: 92 BPM, a ritardando over the last two bars.
TEMPI = [(0, 92), (bar(7), 84), (bar(8), 72)]


def track(events):
    """Absolute-time (tick, order, message) tuples to a delta-time track."""
    result = mido.MidiTrack()
    now = 0
    for tick, _, message in sorted(events, key=lambda e: (e[0], e[1])):
        result.append(message.copy(time=tick - now))
        now = tick
    return result


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "phrase.mid"
    conductor = [(0, 0, mido.MetaMessage("track_name", name="Tempo"))]
    conductor += [(0, 1, mido.MetaMessage("time_signature", numerator=4, denominator=4))]
    conductor += [(t, 2, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(b))) for t, b in TEMPI]

    # Note-offs sort before note-ons at the same tick, so repeated notes
    # end before they start again.
    strings = [(0, 0, mido.MetaMessage("track_name", name="Violins I"))]
    for start, length, note, velocity, slot in NOTES:
        strings.append((start, 2, mido.Message("note_on", channel=slot - 1, note=note,
                                               velocity=velocity)))
        strings.append((start + length, 1, mido.Message("note_off", channel=slot - 1,
                                                        note=note, velocity=0)))
    for tick, cc, value in CONTROLLERS:
        strings.append((tick, 0, mido.Message("control_change", channel=0, control=cc,
                                              value=value)))

    midi = mido.MidiFile(type=1, ticks_per_beat=TICKS)
    midi.tracks.append(track(conductor))
    midi.tracks.append(track(strings))
    midi.save(out)
    print(f"wrote {out}: {len(NOTES)} notes, {len(CONTROLLERS)} controller events")


if __name__ == "__main__":
    main()
