#!/usr/bin/env python3
"""Writes the seed corpus of the colour fuzz target: three bytes choosing a
map (slot count, kinds of output: 1 keyswitch, 2 UACC, 4 modwheel, 8
transposes, 16 layered notes, 32 actions, and a value base) followed by a MIDI file: the keyswitched example phrase, the
example phrase rendered, and the MIDI reader's own seeds. Run from
anywhere; rewrites tests/fuzz/corpus/colour/."""
import os

from seed_corpus import write_corpus

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    seeds = {}
    # The strings map's keyswitches start at C0 (24); base 24 puts slots
    # 1..8 there.
    seeds["keyswitched_phrase"] = bytes([7, 1, 24]) + read(os.path.join(ROOT, "examples", "keyswitched.mid"))
    seeds["keyswitched_phrase_all_kinds"] = bytes([15, 7, 24]) + read(os.path.join(ROOT, "examples", "keyswitched.mid"))
    seeds["rendered_phrase"] = bytes([7, 3, 24]) + read(os.path.join(ROOT, "tests", "plughost", "reference", "phrase_strings.mid"))
    seeds["coloured_phrase_modwheel"] = bytes([3, 4, 90]) + read(os.path.join(ROOT, "examples", "phrase.mid"))
    seeds["coloured_phrase_additions"] = bytes([7, 2 | 8 | 16 | 32, 24]) + read(os.path.join(ROOT, "examples", "phrase.mid"))
    seeds["keyswitched_phrase_actions"] = bytes([7, 1 | 8 | 32, 24]) + read(os.path.join(ROOT, "examples", "keyswitched.mid"))
    midi = os.path.join(HERE, "corpus", "midi")
    for name in sorted(os.listdir(midi)):
        seeds["midi_" + name] = bytes([len(name) % 16, 1 + len(name) % 7, 12]) + read(os.path.join(midi, name))
    write_corpus("colour", seeds)


if __name__ == "__main__":
    main()
