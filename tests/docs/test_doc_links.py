"""Every relative link of the README and the guides (docs/*.md) leads somewhere.

A link `](path)` or `](path#anchor)` outside code must name a file or folder of
the checkout, and an anchor must be a heading of that Markdown file, slugged
as GitHub slugs headings. Run from anywhere: python3 test_doc_links.py [ROOT].
"""
import os
import re
import sys
import unicodedata
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\]]*\])*\]\(\s*<?([^)\s>]*)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)\s*#*\s*$")


def without_code(lines):
    """The lines outside fenced blocks, with inline code spans blanked."""
    fenced = False
    for number, line in enumerate(lines, 1):
        if FENCE.match(line):
            fenced = not fenced
            continue
        if fenced or line.startswith("    "):
            continue
        yield number, re.sub(r"`[^`]*`", lambda m: " " * len(m.group(0)), line)


def slug(heading):
    """GitHub's anchor of a heading: its text lower-cased, everything but
    letters, digits, marks, connectors, blanks and hyphens dropped, blanks
    made hyphens."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link counts by its text
    text = re.sub(r"<[^>]+>", "", text).replace("`", "").replace("*", "")
    kept = [c for c in text.lower()
            if c in " -" or unicodedata.category(c)[0] in "LMN" or unicodedata.category(c) == "Pc"]
    return "".join(kept).replace(" ", "-")


def anchors(path):
    """The anchors of a Markdown file's headings, repeated ones numbered."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    seen, found = {}, set()
    fenced = False
    for line in lines:
        if FENCE.match(line):
            fenced = not fenced
            continue
        match = None if fenced else HEADING.match(line)
        if not match:
            continue
        base = slug(match.group(2))
        count = seen.get(base, 0)
        seen[base] = count + 1
        found.add(base if count == 0 else f"{base}-{count}")
    return found


def broken_links(path, root):
    """(line, target, why) for each link of the file that leads nowhere."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    problems = []
    for number, line in without_code(lines):
        for match in LINK.finditer(line):
            target = match.group(1)
            if not target or re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):
                continue  # a URL or mail address: not ours to check
            file_part, _, anchor = target.partition("#")
            destination = (os.path.normpath(os.path.join(os.path.dirname(path), file_part))
                           if file_part else path)
            if not destination.startswith(root + os.sep) and destination != root:
                problems.append((number, target, "leads outside the checkout"))
            elif not os.path.exists(destination):
                problems.append((number, target, "no such file"))
            elif anchor and not destination.endswith(".md"):
                problems.append((number, target, "an anchor in a file that is not Markdown"))
            elif anchor and anchor not in anchors(destination):
                problems.append((number, target, "no such heading"))
    return problems


def documents(root):
    """The README and the guides (docs/*.md; drafts in folders below are not yet guides)."""
    docs = os.path.join(root, "docs")
    return [os.path.join(root, "README.md")] + [
        os.path.join(docs, n) for n in sorted(os.listdir(docs)) if n.endswith(".md")]


class SlugTest(unittest.TestCase):
    def test_headings_become_anchors_as_on_github(self):
        self.assertEqual(slug("Maps in your host: drop a file, or the panel's map menu"),
                         "maps-in-your-host-drop-a-file-or-the-panels-map-menu")
        self.assertEqual(slug("Every articulation on time: `--compensate` and `--lead`"),
                         "every-articulation-on-time---compensate-and---lead")
        self.assertEqual(slug("Factory maps ▸ maker – product"), "factory-maps--maker--product")
        self.assertEqual(slug("Ünïcode and snake_case"), "ünïcode-and-snake_case")
        self.assertEqual(slug("[plughost](plughost.md) commands"), "plughost-commands")

    def test_a_repeated_heading_is_numbered(self):
        import tempfile
        with tempfile.TemporaryDirectory() as folder:
            page = os.path.join(folder, "page.md")
            with open(page, "w", encoding="utf-8") as f:
                f.write("# Notes\n\n```\n# not a heading\n```\n\n## Notes\n\n"
                        "[one](#notes-1) [two](#notes-2) [code](#not-a-heading) `[x](#nowhere)`\n"
                        "[file](missing.md) [web](https://example.org/#x)\n")
            self.assertEqual(anchors(page), {"notes", "notes-1"})
            self.assertEqual([(t, why) for _, t, why in broken_links(page, folder)],
                             [("#notes-2", "no such heading"), ("#not-a-heading", "no such heading"),
                              ("missing.md", "no such file")])


class RepositoryLinksTest(unittest.TestCase):
    def test_every_relative_link_and_anchor_resolves(self):
        found = documents(ROOT)
        self.assertGreater(len(found), 1, "no guides under docs/")
        problems = [f"{os.path.relpath(p, ROOT)}:{n}: ({t}) {why}"
                    for p in found for n, t, why in broken_links(p, ROOT)]
        self.assertEqual(problems, [], "\n".join(problems))


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
