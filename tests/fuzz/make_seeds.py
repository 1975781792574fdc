#!/usr/bin/env python3
"""Writes the seed corpus of the state fuzz target: one stream of each
version, the documented examples, and a few shapes a damaged project file
takes. Run from anywhere; rewrites tests/fuzz/corpus/state/."""
import struct

from seed_corpus import write_corpus


def words(*values):
    return b"".join(struct.pack("<i", v) for v in values)


def name(raw):
    return struct.pack("<H", len(raw)) + raw


def current(version, channel=0, port=0, ghosting=0, extend=0, preserve=0,
            keyswitch=None, uacc=None, modwheel=None, icons=None, names=None,
            controllers=(127, 127, 127, 127, 127, 0), page=1, slot=0):
    out = words(version, channel, port, ghosting)
    if version >= 4:
        out += words(extend)
    if version >= 5:
        out += words(preserve)
    out += words(*(keyswitch or [-1] * 16))
    out += words(*(uacc or [-1] * 16))
    out += words(*(modwheel or [-1] * 16))
    out += words(*(icons or [55] * 16))
    for raw in names or [b""] * 16:
        out += name(raw)
    out += struct.pack("<H", len(controllers)) + words(*controllers)
    return out + words(page, slot)


def early(values, channel=0, port=0, uacc_flag=None, ghosting=0):
    if uacc_flag is None:
        return words(1, channel, port, *values)
    return words(2, channel, port, uacc_flag, ghosting, *values)


def edited_names():
    names = [b""] * 16
    names[0] = b"Legato"
    names[1] = b"ab\x00cd"
    names[7] = b"Pizzicato"
    names[15] = b"x" * 255
    return names


def additions_block(records):
    """The slot additions' block: records of (slot, velocity, transpose,
    channel set, [(kind, channel, number, value), ...])."""
    payload = struct.pack("<IB", 1, len(records))
    for slot, velocity, transpose, channels, actions in records:
        body = struct.pack("<BbIB", velocity, transpose, channels, len(actions))
        for kind, channel, number, value in actions:
            body += struct.pack("<BBBH", kind, channel, number, value)
        payload += struct.pack("<BH", slot, len(body)) + body
    return struct.pack("<II", 0x42585651, len(payload)) + payload


LAYERED = additions_block([
    (0, 100, 12, 0x10002, [(1, 0, 24, 120), (2, 2, 25, 90), (3, 0, 3, 20),
                           (4, 3, 5, 0), (5, 0, 0, 0)]),
    (7, 127, -48, 0x00003, [(3, 16, 58, 127)]),
])

seeds = {
    "v5_new_instance": current(5),
    "v5_edited": current(5, channel=9, port=3, ghosting=1, extend=1, preserve=1,
                         keyswitch=[24 + i for i in range(16)],
                         uacc=[-1 if i % 2 else 10 * i for i in range(16)],
                         modwheel=[8 * i for i in range(16)],
                         icons=[127 - 8 * i for i in range(16)],
                         names=edited_names(),
                         controllers=(0, 1, 2, 64, 126, 127), page=2, slot=15),
    "v5_three_controllers": current(5, controllers=(10, 20, 30), page=0, slot=4),
    "v5_eight_controllers": current(5, controllers=(1, 2, 3, 4, 5, 6, 7, 8), page=2, slot=9),
    "v5_truncated_in_names": current(5, names=edited_names())[:300],
    "v4_ghosting_2": current(4, ghosting=2, extend=1, page=0, slot=3),
    "v3_ghosting_2": current(3, channel=15, port=255, ghosting=2, page=2, slot=1,
                             names=edited_names()),
    "v2_uacc_flag": early([5 if i == 3 else 0 for i in range(16)], uacc_flag=1),
    "v2_keyswitches": early([36 + i if i % 3 else 0 for i in range(16)],
                            channel=1, port=2, uacc_flag=0, ghosting=1),
    "v1_keyswitch_0_36": early([0, 36] + [0] * 14),
    "v0_unknown": words(0),
    "v6_unknown": words(6) + current(5)[4:],
    "v5_additions": current(5, keyswitch=[24] * 16) + LAYERED,
    "v5_additions_cut": (current(5) + LAYERED)[:-3],
    "v5_additions_bad_kind": current(5) + LAYERED[:23] + b"\x09" + LAYERED[24:],
}

write_corpus("state", seeds)
