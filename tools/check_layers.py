#!/usr/bin/env python3
"""Fails when a source file includes a header of a higher layer.

The engine is layered bottom-up: board (with the engine state), movegen, eval and book,
search, control. A lower layer may include only its own and lower layers' headers; only
control reads input or talks to the user. Exceptions are listed below by file pair, each
with its reason; the list is meant to stay empty.
"""
import os
import re
import sys

LEVEL = {"board": 1, "movegen": 2, "eval": 3, "book": 3, "search": 4, "control": 5}

# (including file, included header): reason. Keep this empty; justify every entry.
ALLOWED = {}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"')


def upward_includes(src):
    found = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src)
            own = rel.split(os.sep)[0]
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m or own not in LEVEL or m.group(1) not in LEVEL:
                        continue
                    header = line.split('"')[1]
                    if LEVEL[m.group(1)] > LEVEL[own] and (rel, header) not in ALLOWED:
                        found.append(f"{rel}:{number}: includes {header} of a higher layer")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    problems = upward_includes(src)
    for p in problems:
        print(p)
    print(f"{len(problems)} upward include(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
