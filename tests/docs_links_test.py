#!/usr/bin/env python3
"""Checks the relative links of Markdown files: every link names a file that exists and every
#anchor a heading of the file it points to, with the anchors GitHub makes from headings. Links to
http(s) and mail addresses are left alone.

Usage: docs_links_test.py FILE.md...   (exit 0: all links sound; 1: the broken ones are listed)
       docs_links_test.py SOURCE_DIR      (its README.md and docs/*.md)
"""
import glob
import os
import re
import sys

FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^ {0,3}(#{1,6})\s+(.*?)\s*#*\s*$")
INLINE_LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*(<[^>]*>|[^\s)]+)(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE_LINK = re.compile(r"^ {0,3}\[[^\]]+\]:\s*(\S+)", re.MULTILINE)
CODE_SPAN = re.compile(r"(`+)(.+?)\1", re.DOTALL)
EXTERNAL = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")


def text_lines(path):
    """The lines outside fenced code blocks, with their numbers."""
    inside = False
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if FENCE.match(line):
                inside = not inside
                continue
            if not inside:
                yield number, line.rstrip("\n")


def slug(heading):
    """GitHub's anchor of a heading: its text in lower case, blanks to '-', and every character
    that is not a letter, a digit, '-' or '_' dropped."""
    text = CODE_SPAN.sub(lambda m: m.group(2), heading)
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = text.replace("*", "").lower()
    kept = "".join(c for c in text if c.isalnum() or c in "-_ ")
    return kept.replace(" ", "-")


ANCHORS = {}  # each file's anchors, read once


def anchors(path):
    cache = ANCHORS
    if path not in cache:
        seen = {}
        found = set()
        for _, line in text_lines(path):
            m = HEADING.match(line)
            if not m:
                continue
            base = slug(m.group(2))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
        cache[path] = found
    return cache[path]


def paragraphs(path):
    """The blocks of lines between blank lines (a link's text may wrap), each with the number of
    its first line."""
    block, first = [], 0
    for number, line in text_lines(path):
        if line.strip():
            if not block:
                first = number
            block.append(line)
        elif block:
            yield first, "\n".join(block)
            block = []
    if block:
        yield first, "\n".join(block)


def blank_code(text):
    """Code spans blanked out, line breaks kept, so that offsets still give line numbers."""
    return CODE_SPAN.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def broken_links(path):
    for first, block in paragraphs(path):
        plain = blank_code(block)
        found = [(m.start(), m.group(1)) for m in INLINE_LINK.finditer(plain)]
        found += [(m.start(), m.group(1)) for m in REFERENCE_LINK.finditer(plain)]
        for offset, target in found:
            number = first + plain.count("\n", 0, offset)
            target = target.strip("<>")
            if EXTERNAL.match(target):
                continue
            name, _, anchor = target.partition("#")
            where = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
            if not os.path.exists(where):
                yield f"{path}:{number}: {target}: no file {where}"
            elif anchor and where.endswith(".md") and anchor not in anchors(where):
                yield f"{path}:{number}: {target}: no heading with the anchor #{anchor} in {where}"


def main(paths):
    if not paths:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    if len(paths) == 1 and os.path.isdir(paths[0]):
        root = paths[0]
        paths = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    faults = [fault for path in paths for fault in broken_links(path)]
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} broken link(s)")
        return 1
    print(f"{len(paths)} file(s): every relative link points to a file and heading that exist")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
