#!/usr/bin/python3
"""Writes a large coloured MIDI file for the render benchmark and the
byte-identical render test: by default 500,000 notes in all sixteen colours
(channels 1-16), with CC 1 and CC 11 moving under them, pan and volume, and
tempo changes. The same arguments always give the same bytes.

    tools/bench/make_large_midi.py OUTPUT [NOTES]

Format 1, 480 ticks per quarter: a tempo track and eight player tracks that
play at once, so the merged stream interleaves colours. Each player plays
phrases of one colour, single notes and chords that overlap a little
(legato) or leave gaps, sometimes repeating a key before its previous note
ended. Tracks are written with running status, as sequencers write them.
No gap between events comes near the largest four-byte delta time.
"""
import struct
import sys

TICKS = 480
PLAYERS = 8


class Random:
    """A fixed linear congruential generator: the file must not depend on
    the interpreter's random module."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, bound):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) % bound


def number(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


def chunk(events):
    """(tick, order, bytes) to an MTrk chunk with running status."""
    body = bytearray()
    now, running = 0, None
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += number(tick - now)
        now = tick
        if data[0] < 0xF0 and data[0] == running:
            body += data[1:]
        else:
            body += data
            running = data[0] if data[0] < 0xF0 else None
    body += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def meta(kind, payload):
    return bytes([0xFF, kind]) + number(len(payload)) + payload


def player(index, notes, random):
    """One player's events: (tick, order, bytes); offs sort before ons."""
    events = [(0, 0, meta(0x03, b"Player %d" % (index + 1)))]
    events += [(0, 1, bytes([0xB0 | index, 10, 16 + index * 12])),
               (0, 1, bytes([0xB0 | index, 7, 100]))]
    tick = index * 7  # players do not start together
    key = 48 + index * 4
    dynamics, expression = 64, 100
    colour = index
    played = 0
    while played < notes:
        if played % 8 == 0 and random.next(3) == 0:
            colour = random.next(16)
        length = (60, 120, 240, 480)[random.next(4)]
        size = min(1 + (random.next(5) == 0) * (1 + random.next(2)), notes - played)
        key = max(24, min(100, key + random.next(9) - 4))
        # Legato overlaps the next note a little; detached playing leaves a gap.
        sounding = length + (20, 0, 0, -length // 4, -length // 2)[random.next(5)]
        for n in range(size):
            note = key + 4 * n
            velocity = 30 + random.next(98)
            events.append((tick, 3, bytes([0x90 | colour, note, velocity])))
            # Most note-offs are note-ons of velocity 0, some real note-offs.
            off = bytes([0x80 | colour, note, 64]) if random.next(4) == 0 else \
                bytes([0x90 | colour, note, 0])
            events.append((tick + sounding, 2, off))
        played += size
        # The performance controllers move under the notes.
        dynamics = max(0, min(127, dynamics + random.next(17) - 8))
        expression = max(0, min(127, expression + random.next(11) - 5))
        events.append((tick + length // 2, 1, bytes([0xB0 | colour, 1, dynamics])))
        if random.next(2):
            events.append((tick + length // 4, 1, bytes([0xB0 | colour, 11, expression])))
        tick += length + (random.next(8) == 0) * TICKS
    return events


def conductor(end):
    events = [(0, 0, meta(0x03, b"Tempo")), (0, 1, meta(0x58, bytes([4, 2, 24, 8])))]
    bpm, tick = 100, 0
    random = Random(99)
    while tick <= end:
        micros = 60000000 // bpm
        events.append((tick, 2, meta(0x51, struct.pack(">I", micros)[1:])))
        bpm = max(60, min(180, bpm + random.next(21) - 10))
        tick += 16 * 4 * TICKS
    return events


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 500000
    tracks = []
    for index in range(PLAYERS):
        share = total // PLAYERS + (index < total % PLAYERS)
        tracks.append(player(index, share, Random(1000 + index)))
    end = max(t for events in tracks for t, _, _ in events)
    chunks = [chunk(conductor(end))] + [chunk(events) for events in tracks]
    with open(out, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), TICKS))
        for c in chunks:
            f.write(c)
    print(f"wrote {out}: {total} notes in {PLAYERS} players, {end} ticks")


if __name__ == "__main__":
    main()
