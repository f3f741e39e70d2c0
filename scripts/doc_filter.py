#!/usr/bin/env python3
"""Doxygen input filter for the public headers.

The headers are commented in plain `//` lines. This turns the comment block
at the top of a header into the file's own documentation (one page per
family) and every other whole-line `//` comment into a `///` comment, which
documents the declaration that follows it.
"""
import os
import re
import sys

COMMENT = re.compile(r"^(\s*)//(?!/)\s?(.*)$")


def main(path):
    with open(path, encoding="utf-8", errors="replace") as header:
        lines = header.read().split("\n")
    out = []
    at_top = True
    for line in lines:
        match = COMMENT.match(line)
        if at_top and match and not match.group(1):
            if not out:
                # One line more than the header has; warnings point one below.
                out.append("/// \\file " + os.path.basename(path))
            out.append("/// " + match.group(2))
            continue
        at_top = False
        out.append(match.group(1) + "/// " + match.group(2) if match else line)
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main(sys.argv[1])
