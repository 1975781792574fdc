#!/usr/bin/env python3
"""Writes the seed corpora of the map and state_bytes fuzz targets.

map: the example map, every field and value form, each encoding the reader
knows, and the near misses a user makes (a long name, a repeated slot, an
unknown field, a number out of range, text in a Windows code page, UTF-16
without its mark). state_bytes: the version-5 states of the state corpus.
Run from anywhere; rewrites tests/fuzz/corpus/map and corpus/state_bytes.
"""
import json
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(HERE, "corpus")

FULL = {
    "channel": 16, "port": 255,
    "options": {"ccGhosting": True, "preservePortChannel": False},
    "controllers": {"Dynamics": 0, "Breath": 1, "Expression": 64, "Speed": 100,
                    "Vibrato": 126, "Hold": 127},
    "page": "settings", "selectedSlot": 16,
    "slots": [
        {"slot": 1, "name": "Legato", "icon": 0, "keyswitch": "C-2", "uacc": 0, "modwheel": 127},
        {"slot": 2, "name": "D\u00e9tach\u00e9 \u20ac", "keyswitch": "Bb-1", "uacc": None},
        {"slot": 9, "keyswitch": 127, "modwheel": None},
        {"slot": 16, "name": "x" * 255, "icon": 127, "keyswitch": "g8"},
    ],
}


def text(value):
    return json.dumps(value, indent=2, ensure_ascii=False) + "\n"


def utf8(value):
    return text(value).encode("utf-8")


def map_seeds():
    with open(os.path.join(ROOT, "examples", "strings.json"), "rb") as f:
        example = f.read()
    full = text(FULL)
    return {
        "example": example,
        "empty": b"{}",
        "full": full.encode("utf-8"),
        "full_bom_utf8": b"\xef\xbb\xbf" + full.encode("utf-8"),
        "full_utf16le": full.encode("utf-16"),  # Python writes its mark first
        "full_utf16be": b"\xfe\xff" + full.encode("utf-16-be"),
        "emoji_utf16le": b"\xff\xfe" + '{"slots": [{"slot": 1, "name": "\U0001F3BB"}]}'.encode(
            "utf-16-le"),
        "name_256": utf8({"slots": [{"slot": 1, "name": "y" * 256}]}),
        "slot_twice": utf8({"slots": [{"slot": 2}, {"slot": 2, "icon": 3}]}),
        "key_twice": b'{"port": 1, "port": 2}',
        "unknown_field": utf8({"slots": [{"slot": 3, "articulation": "pizz"}]}),
        "huge_number": b'{"port": 18446744073709551617, "channel": -9223372036854775809}',
        "float_number": b'{"channel": 2.0, "slots": [{"slot": 1e0}]}',
        "escapes": b'{"slots": [{"slot": 1, "name": "a\\u0000b\\ud83c\\u001b"}]}',
        "windows_1252": '{"slots": [{"slot": 1, "name": "D\u00e9tach\u00e9"}]}'.encode("cp1252"),
        "utf16le_no_mark": b'{"channel": 2}'.decode().encode("utf-16-le"),
        "utf16_odd_length": b"\xff\xfe{\x00}",
        "utf16_lone_surrogate": b"\xff\xfe{\x00\x00\xd8}\x00",
        "utf32_mark": b"\xff\xfe\x00\x00{\x00\x00\x00}\x00\x00\x00",
        "syntax_error": b'{\n  "channel": 2\n  "port": 1\n}\n',
    }


def state_bytes_seeds():
    folder = os.path.join(CORPUS, "state")
    out = {}
    for name in sorted(os.listdir(folder)):
        if name.startswith("v5_"):
            with open(os.path.join(folder, name), "rb") as f:
                out[name] = f.read()
    return out


def write(target, seeds):
    folder = os.path.join(CORPUS, target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for label, data in seeds.items():
        with open(os.path.join(folder, label), "wb") as f:
            f.write(data)
    print(f"{len(seeds)} seeds in {folder}")


write("map", map_seeds())
write("state_bytes", state_bytes_seeds())
