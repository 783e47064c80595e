"""The opening book in the running engine: where it is found, and book moves at the console
and under xboard."""
import os
import re
import select
import shutil
import subprocess
import tempfile
import time
import unittest

from engine import BINARY, EngineTestCase, run

# A line for each first move the engine may choose: two more book moves of its own each.
LINES = "1.e4 e5 2.Nf3 Nc6 3.Bb5\nd4 d5 c4 e6 Nc3\nNf3 d5 d4 Nf6 c4\nc4 e5 Nc3 Nf6 Nf3\n"
REPLIES = {"e4": "e5 Nf3 Nc6 Bb5", "d4": "d5 c4 e6 Nc3", "Nf3": "d5 d4 Nf6 c4",
           "c4": "e5 Nc3 Nf6 Nf3"}
THINKING = re.compile(r"(?m)^\d+ -?\d+ \d+ \d+ ")
SAN = r"(?:[NBRQK][a-h]?[1-8]?x?[a-h][1-8]|[a-h](?:x[a-h])?[1-8](?:=?[NBRQ])?|O-O(?:-O)?)[+#]?"


def console_move(san=SAN):
    """A move as the console prints it: alone or after the prompt (thinking lines end in a
    blank, so they never match)."""
    return r"(?<![\w.])(%s)\n" % san


def make_book(directory, lines):
    with open(os.path.join(directory, "lines.txt"), "w") as f:
        f.write(lines)
    return run(["makebook", "lines.txt", "Morvabook.bok"], cwd=directory)


class Session:
    """The engine on pipes, read as its replies arrive."""

    def __init__(self, test, cwd, commands):
        self.proc = subprocess.Popen([BINARY], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, cwd=cwd)
        test.addCleanup(self.close)
        self.pending = ""
        self.send(commands)

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def expect(self, pattern, timeout=60):
        """Reads until the pattern appears; returns the text up to it."""
        deadline = time.time() + timeout
        while not (match := re.search(pattern, self.pending)):
            ready, _, _ = select.select([self.proc.stdout], [], [], max(0, deadline - time.time()))
            data = os.read(self.proc.stdout.fileno(), 65536) if ready else b""
            if not data:
                raise AssertionError("no %r in %r" % (pattern, self.pending[-300:]))
            self.pending += data.decode()
        text, self.pending = self.pending[:match.end()], self.pending[match.end():]
        return text

    def close(self):
        if self.proc.stdin.closed:
            return
        if self.proc.poll() is None:
            self.send("quit\n")
        self.proc.stdin.close()
        self.proc.wait(timeout=30)
        self.proc.stdout.close()


def plays(stdin, needs=""):
    """True when the engine takes the commands of a game instead of refusing them: a front end
    that cannot play yet makes the play tests pointless, not failing."""
    with tempfile.TemporaryDirectory() as empty:
        _, out = run(stdin=stdin, cwd=empty)
    return "Invalid command" not in out and needs in out


class Location(EngineTestCase):
    def test_builder_and_the_book_found_here_then_beside_the_executable(self):
        with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as elsewhere:
            self.assertEqual(make_book(home, "e4 e5\ne4 e5 Nf3 Nc6 Bb5 a6 Bb6\n"),
                             (1, "makebook: line 2: illegal or ambiguous move Bb6\n"))
            self.assertFalse(os.path.exists(os.path.join(home, "Morvabook.bok")))
            self.assertEqual(make_book(home, LINES),
                             (0, "makebook: 4 lines, 17 positions written to Morvabook.bok\n"))
            engine = shutil.copy(BINARY, os.path.join(home, "morvaquint"))
            started = lambda cwd: subprocess.run([engine], input=b"quit\n", cwd=cwd, timeout=60,
                                                 stdout=subprocess.PIPE).stdout.decode()
            outs = [started(home), started(elsewhere)]
            os.remove(os.path.join(home, "Morvabook.bok"))
            outs.append(started(elsewhere))
        for out in outs[:2]:
            self.assertIn("Opening book is ........... On\n", out)
            self.assertNotIn("missing", out)
        self.assertTrue(outs[2].startswith("Opening book is missing.\n"))
        self.assertIn("Opening book is ........... Off\n", outs[2])


def through_the_book(test, s, move, reply):
    """The engine's first moves come at once without thinking lines, a search when the line
    ends: `move` makes the pattern of an engine move, `reply` the command of a user move."""
    text = s.expect(move("e4|d4|Nf3|c4"))
    line = REPLIES[re.search(move("e4|d4|Nf3|c4"), text).group(1)].split()
    for i in (0, 2):
        test.assertIsNone(THINKING.search(text), text)
        s.send(reply(line[i]))
        text = s.expect(move(line[i + 1]))
    test.assertIsNone(THINKING.search(text), text)
    s.send(reply("a6"))
    test.assertIsNotNone(THINKING.search(s.expect(move(SAN))), "no search out of the book")


class ConsolePlay(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        if not plays("new\nnobook\ndepth 1\nblack\ngo\nquit\n"):
            raise unittest.SkipTest("the console cannot play a game yet")

    def test_book_moves_then_a_search_and_nobook_searches_at_once(self):
        with tempfile.TemporaryDirectory() as tmp:
            make_book(tmp, LINES)
            s = Session(self, tmp, "new\npost\ndepth 2\nblack\ngo\n")
            through_the_book(self, s, console_move, lambda m: m + "\n")
            s = Session(self, tmp, "new\nnobook\npost\ndepth 2\nblack\ngo\n")
            self.assertIsNotNone(THINKING.search(s.expect(console_move())))

    def test_games_started_in_different_seconds_do_not_all_open_alike(self):
        answers = set()
        with tempfile.TemporaryDirectory() as tmp:
            make_book(tmp, "e4 e5 Nf3 Nc6\ne4 c5 Nf3 d6\n")  # two answers, one slot each
            for _ in range(8):  # every game in a second of its own, until both have come
                time.sleep(1.05 - time.time() % 1.0)
                s = Session(self, tmp, "new\ngo\ne4\n")
                answers.add(s.expect(r"\.\.\.(e5|c5)\n")[-3:-1])
                s.close()
                if len(answers) > 1:
                    break
        self.assertEqual(answers, {"e5", "c5"})


class XboardPlay(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        if not plays("xboard\nprotover 2\nnew\ngo\nquit\n", "feature "):
            raise unittest.SkipTest("the xboard front end cannot play a game yet")

    def test_book_moves_then_a_search(self):
        with tempfile.TemporaryDirectory() as tmp:
            make_book(tmp, LINES)
            clock = "time 6000\notim 6000\n"
            s = Session(self, tmp, "xboard\nprotover 2\nnew\npost\nlevel 0 1 0\n%sgo\n" % clock)
            through_the_book(self, s, lambda m: r"move (%s)\n" % m,
                             lambda m: "%susermove %s\n" % (clock, m))


if __name__ == "__main__":
    unittest.main()
