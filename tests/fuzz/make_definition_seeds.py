#!/usr/bin/env python3
"""Writes the seed corpus and dictionary of the Universal Definition fuzz
target: our test definitions (tests/files/definitions), the YAML styles the
reader must take (flow mappings, quoting, block scalars, anchors, a BOM,
CRLF, the older schema) and a few damaged files. Run from anywhere; rewrites
tests/fuzz/corpus/universal_definition/ and its .dict file."""
import os

from seed_corpus import HERE, write_corpus

DEFINITIONS = os.path.join(HERE, "..", "files", "definitions")

seeds = {}
for name in sorted(os.listdir(DEFINITIONS)):
    with open(os.path.join(DEFINITIONS, name), "rb") as f:
        seeds[name.removesuffix(".yaml")] = f.read()

HEAD = "FormatVersion: 0\nManufacturerName: M\nProductName: P\nPatchName: Q\n"

flow = HEAD + ("ArticulationGroups:\n- Name: G\n  Articulations:\n"
               "  - {Name: 'Legato', MidiMessages: [{Status: 144, Data1: 24, Data2: 100}]}\n"
               "  - {Name: \"Pizz\", MidiMessages: [{Status: 176, Data1: 32, Data2: 56},"
               " {Status: 192, Data1: 3}]}\n"
               "  - {Name: Bend, MidiMessages: [{Status: 0xE0, Data1: 0, Data2: 96}]}\n")

styles = HEAD + """ArticulationGroups:
  - Name: >
      Folded
      group
    Extra: {Key: Value}
    Articulations:
      - Name: |
          Literal name
        MidiMessages: &both
          - Status: 144
            Data1: 30
            Data2: 0
          - Status: 176
            Data1: 1
            Data2: 127
      - Name: Shared messages
        MidiMessages: *both
      - Name: Off
        MidiMessages:
          - Status: 128
            Data1: 30
            Data2: 0
"""

many = HEAD + "ArticulationGroups:\n  - Name: Many\n    Articulations:\n" + "".join(
    f"      - Name: Articulation {i}\n        MidiMessages:\n"
    f"          - Status: {144 + i % 3}\n            Data1: {i}\n            Data2: {i + 1}\n"
    for i in range(20))

seeds.update({
    "flow": flow.encode(),
    "styles": styles.encode(),
    "many": many.encode(),
    "crlf_bom": b"\xef\xbb\xbf" + styles.replace("\n", "\r\n").encode(),
    "bad_tab": (HEAD + "ArticulationGroups:\n\t- Name: G\n").encode(),
    "bad_utf8": (HEAD + "ArticulationGroups:\n  - Name: \xff\n").encode("latin-1"),
    "two_documents": (flow + "---\n" + flow).encode(),
})

write_corpus("universal_definition", seeds)

words = ["FormatVersion", "ArticulationGroups", "Articulations", "MidiMessages", "Name",
         "Status", "Data1", "Data2", "Channel", "Extra", "ManufacturerName", "ProductName",
         "PatchName", "Description", "Id", "Author", "144", "176", "192", "224", "\"1.0.0\"",
         ": ", "- ", "[]", "{", "}", "&a ", "*a", "---", "\\x0A  ", "\\x0A    - "]
with open(os.path.join(HERE, "corpus", "universal_definition.dict"), "w") as f:
    f.writelines(f'"{w}"\n' for w in words)
