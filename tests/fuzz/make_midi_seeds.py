#!/usr/bin/env python3
"""Writes the seed corpus of the MIDI file fuzz target: real files (the
example phrase and what rendering it gives), the shapes the reader must
accept (running status, one-byte messages, sysex, unknown chunks, a long
header, SMPTE time, events after End of Track, gaps of the largest delta
time) and the lies and damage it must refuse (65,535 tracks claimed, a
2 GiB chunk, a five-byte number, a cut file). Run from anywhere; rewrites
tests/fuzz/corpus/midi/."""
import os
import struct
import sys

from seed_corpus import write_corpus

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "bench"))
from make_large_midi import number  # noqa: E402  (variable-length numbers)

FAR = 0x0FFFFFFF  # the largest four-byte delta time


def header(fmt, tracks, division=96, length=6):
    return b"MThd" + struct.pack(">IHHH", length, fmt, tracks, division) + bytes(length - 6)


def chunk(body, kind=b"MTrk"):
    return kind + struct.pack(">I", len(body)) + body


def track(*events):
    """(delta, raw bytes) pairs, written as they are (running status when
    the bytes leave out the status)."""
    return chunk(b"".join(number(delta) + raw for delta, raw in events))


END = (0, b"\xff\x2f\x00")


def read(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


seeds = {
    "example_phrase": read("examples/phrase.mid"),
    "rendered_phrase": read("tests/plughost/reference/phrase_strings.mid"),
    "running_status": header(0, 1) + track(
        (0, b"\x91\x3c\x64"), (96, b"\x3c\x00"), (0, b"\x3e\x50"), (48, b"\x81\x3e\x40"), END),
    "one_byte_messages": header(0, 1) + track(
        (0, b"\xc2\x05"), (1, b"\x07"), (2, b"\xd2\x40"), (0, b"\xe2\x00\x40"),
        (0, b"\xa2\x3c\x10"), END),
    "tempo_sysex_text": header(1, 2, 480) + track(
        (0, b"\xff\x03\x05Tempo"), (0, b"\xff\x51\x03\x07\xa1\x20"),
        (0, b"\xff\x58\x04\x04\x02\x18\x08"), (960, b"\xff\x51\x03\x0f\x42\x40"), END) + track(
        (0, b"\xf0\x05\x7e\x7f\x09\x01\xf7"), (0, b"\xf7\x02\x01\x02"), (10, b"\x90\x40\x7f"),
        (10, b"\xff\x01\x00"), (10, b"\x80\x40\x00"), END),
    "largest_gaps": header(1, 1) + track(
        (0, b"\x90\x3c\x64"), (FAR, b"\xff\x01\x00"), (FAR, b"\xff\x06\x01m"),
        (FAR, b"\x80\x3c\x00"), (FAR, b"\xb0\x07\x64"), END),
    "unknown_chunk_long_header": header(1, 1, length=10) + chunk(b"\x01\x02\x03", b"XFIH") +
        track((0, b"\x90\x3c\x01"), END),
    "smpte_division": header(0, 1, 0xE728) + track((0, b"\x90\x3c\x01"), (40, b"\x80\x3c\x00"),
                                                   END),
    "after_end_of_track": header(0, 1) + track((0, b"\x90\x3c\x01"), END, (5, b"\x80\x3c\x00")),
    "no_end_of_track": header(1, 2) + track((7, b"\x90\x3c\x01")) + track(),
    "claims_65535_tracks": header(1, 0xFFFF) + track((0, b"\x90\x3c\x01"), END),
    "claims_2_gib_chunk": header(0, 1) + b"MTrk\x80\x00\x00\x00" + b"\x00\x90\x3c\x01",
    "five_byte_number": header(0, 1) + chunk(b"\x81\x80\x80\x80\x00\x90\x3c\x01"),
    "cut_in_event": (header(0, 1) + track((0, b"\x90\x3c\x01"), END))[:25],
}

write_corpus("midi", seeds)
