"""Runs the engine binary through pipes for the end-to-end tests."""
import os
import subprocess
import unittest

BINARY = os.environ.get("MORVAQUINT", os.path.join(
    os.path.dirname(__file__), "..", "..", "build", "release", "morvaquint"))
RELEASE = os.environ.get("MORVA_BUILD", "Release") == "Release"


def run(args=(), stdin="", timeout=120, cwd=None):
    """Runs the engine with arguments and the whole of stdin; returns (status, stdout)."""
    proc = subprocess.run([BINARY, *args], input=stdin.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout, cwd=cwd)
    return proc.returncode, proc.stdout.decode()


def board_diagram(rows, side=None, post=False):
    """The console diagram for 8 rank strings (rank 8 first; '.' empty, upper White, lower
    Black) with the prompt of the side to move when side is 'White' or 'Black'."""
    sep = "\n    +----+----+----+----+----+----+----+----+\n"
    out = sep
    for i, row in enumerate(rows):
        out += "  %d |" % (8 - i)
        for ch in row:
            if ch == ".":
                out += "    |"
            elif ch.isupper():
                out += "  %s |" % ch
            else:
                out += " *%s |" % ch.upper()
        out += sep
    out += "\n      a    b    c    d    e    f    g    h\n\n"
    if side:
        out += "\n%s to move>  " % side
        if post:
            out += "\n"
    return out


START_ROWS = ["rnbqkbnr", "pppppppp", "........", "........",
              "........", "........", "PPPPPPPP", "RNBQKBNR"]


class EngineTestCase(unittest.TestCase):
    maxDiff = None
