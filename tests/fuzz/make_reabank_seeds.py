#!/usr/bin/env python3
"""Writes the seed corpus of the .reabank fuzz target: banks of every shape
the reader knows (attributes, quoting, outputs, hidden articulations,
clones, several banks) and a few it refuses. Run from anywhere; rewrites
tests/fuzz/corpus/reabank/."""
from seed_corpus import write_corpus

violins = """// Example violins
//! g="Example/Strings" n="Violins" id=a1
Bank * * Example Violins
//! c=legato i=legato o=note:24/cc:32,20
20 Legato
//! c=short i=spiccato o=cc:32,42/cc:1,90
42 Spiccato
"""

outputs = """//! g="Test" n="Outputs"
Bank 3 7 Every output
//! o=note:24,100/note:25/cc:32,1/cc:1,2/cc:11,3
0 Notes and controllers
//! o=-note-hold@2.3:30,64%5/program:9/pitch:-8192/pitch:8191/art:4/@16
1 Held routed
//! o=unknown:1,2/cc:32,5/cc:1,6
2 Unknown type
//! f=hidden,toggle n="Display \\"x\\" &quot;y&quot;" g=3 m="line\\nbreak" transpose=12 velocity=0.5
3 Flags and extras
//! i=Pizzicato i=legato
4  Pizz twice  \r
"""

clones = violins + """
//! g="Example/Strings" clone=a1 n="Violas"
Bank * * Violas
//! g="x" chase=1,11 off=20 f=chase
Bank 1 1 Cellos
//! i=trill-maj2 o=note:127
127 Trill
"""

# clone= by path, the source later in the file, a missing source and a loop.
clone_paths = """//! g="Lib/Brass" n="Tubas" clone="Lib/Brass/Trombones"
Bank * * Tubas
//! o=note:30
5 Own
//! g="Lib" clone="Lib/Missing"
Bank * * Lost
//! g=L clone=L/Pong
Bank * * Ping
//! g=L clone=L/Ping
Bank * * Pong
//! g="Lib/Brass"
Bank * * Trombones
//! o=note:24,0
1 Sustain
//! o=note:25 f=hidden
2 Hidden
"""

many = "Bank * * Many\n" + "".join(
    f"//! o=note:{i}/cc:32,{i}\n{i} Articulation {i}\n" for i in range(20))

names = ("Bank * * Names\n"
         "0 D\u00e9tach\u00e9 \u20ac \u4e2d\u6587\n"
         "1 " + "long name " * 40 + "\n"
         "//! i=harmonics-fast\n"
         "2 Harmonics\n").encode("utf-8") + b"3 bad \xff\xfe utf-8\n"

seeds = {
    "violins": violins.encode(),
    "outputs": outputs.encode(),
    "clones": clones.encode(),
    "clone_paths": clone_paths.encode(),
    "many": many.encode(),
    "names": names,
    "crlf_bom": b"\xef\xbb\xbf" + violins.replace("\n", "\r\n").encode(),
    "bad_outside_bank": b"1 Legato\n",
    "bad_value": b"Bank * * B\n//! o=cc:1,200\n1 A\n",
    "bad_quote": b"Bank * * B\n//! n=\"open\n1 A\n",
    "bad_empty_bank": b"Bank * * Empty\n",
}

write_corpus("reabank", seeds)
