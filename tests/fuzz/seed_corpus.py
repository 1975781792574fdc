"""Writes a fuzz target's seed corpus, tests/fuzz/corpus/TARGET/, replacing
whatever was there: one file per seed, named by its label."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write_corpus(target, seeds):
    out = os.path.join(HERE, "corpus", target)
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        os.remove(os.path.join(out, old))
    for label, data in seeds.items():
        with open(os.path.join(out, label), "wb") as f:
            f.write(data)
    print(f"{len(seeds)} seeds in {out}")
