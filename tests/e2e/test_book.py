"""The opening book: the makebook entry, where the engine finds the book, and book moves in
play at the console and under xboard."""
import os
import re
import select
import shutil
import subprocess
import tempfile
import time
import unittest

from engine import BINARY, EngineTestCase, run

# One short line for each first move the engine may choose, so that every game it opens as
# White stays in this book for two more moves of its own.
LINES = """# engine's first moves
1.e4 e5 2.Nf3 Nc6 3.Bb5
d4 d5 c4 e6 Nc3
Nf3 d5 d4 Nf6 c4
c4 e5 Nc3 Nf6 Nf3
"""
REPLIES = {"e4": ["e5", "Nf3", "Nc6", "Bb5"], "d4": ["d5", "c4", "e6", "Nc3"],
           "Nf3": ["d5", "d4", "Nf6", "c4"], "c4": ["e5", "Nc3", "Nf6", "Nf3"]}
# Two equally played answers to 1.e4, for the engine as Black.
ANSWERS = "e4 e5 Nf3 Nc6\ne4 c5 Nf3 d6\n"

THINKING = re.compile(r"(?m)^\d+ -?\d+ \d+ \d+ ")
# A move as the console prints it: alone on its line or right after the prompt (a thinking
# line ends in a blank, so it never matches).
SAN = r"(?:[NBRQK][a-h]?[1-8]?x?[a-h][1-8]|[a-h](?:x[a-h])?[1-8](?:=?[NBRQ])?|O-O(?:-O)?)[+#]?"


def console_move(san=SAN):
    return r"(?<![\w.])(%s)\n" % san


def make_book(directory, lines):
    with open(os.path.join(directory, "lines.txt"), "w") as f:
        f.write(lines)
    return run(["makebook", "lines.txt", "Morvabook.bok"], cwd=directory)


class Session:
    """The engine on pipes, read as its replies arrive."""

    def __init__(self, cwd):
        self.proc = subprocess.Popen([BINARY], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, cwd=cwd)
        self.pending = ""

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def expect(self, pattern, timeout=60):
        """Reads until the pattern appears; returns the text up to and including it."""
        deadline = time.time() + timeout
        regex = re.compile(pattern)
        while True:
            match = regex.search(self.pending)
            if match:
                text, self.pending = self.pending[:match.end()], self.pending[match.end():]
                return text
            left = deadline - time.time()
            if left <= 0:
                raise AssertionError("no %r in %r" % (pattern, self.pending[-500:]))
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                data = os.read(self.proc.stdout.fileno(), 65536)
                if not data:
                    raise AssertionError("engine ended; waiting for %r" % pattern)
                self.pending += data.decode()

    def close(self):
        try:
            self.send("quit\n")
        except BrokenPipeError:
            pass
        self.proc.stdin.close()
        self.proc.wait(timeout=30)
        self.proc.stdout.close()


def plays(stdin, needs=""):
    """True when the engine takes the commands of a game instead of refusing them: a front
    end that cannot play yet makes the play tests below pointless, not failing."""
    with tempfile.TemporaryDirectory() as empty:
        _, out = run(stdin=stdin, cwd=empty, timeout=60)
    return "Invalid command" not in out and needs in out


class Builder(EngineTestCase):
    def test_builds_a_book_the_engine_opens_from_its_directory(self):
        with tempfile.TemporaryDirectory() as tmp:
            status, out = make_book(tmp, LINES)
            self.assertEqual(status, 0)
            self.assertEqual(out, "makebook: 4 lines, 17 positions written to Morvabook.bok\n")
            status, out = run(stdin="quit\n", cwd=tmp)
        self.assertEqual(status, 0)
        self.assertNotIn("Opening book is missing.", out)
        self.assertIn("Opening book is ........... On\n", out)

    def test_refuses_a_bad_move_and_writes_nothing(self):
        with tempfile.TemporaryDirectory() as tmp:
            status, out = make_book(tmp, "e4 e5\ne4 e5 Nf3 Nc6 Bb5 a6 Bb6\n")
            self.assertEqual(status, 1)
            self.assertEqual(out, "makebook: line 2: illegal or ambiguous move Bb6\n")
            self.assertFalse(os.path.exists(os.path.join(tmp, "Morvabook.bok")))
            status, out = run(["makebook", "lines.txt"], cwd=tmp)
            self.assertEqual((status, out), (2, "usage: morvaquint makebook IN OUT\n"))

    def test_book_beside_the_executable_is_found_from_elsewhere(self):
        with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as elsewhere:
            engine = os.path.join(home, "morvaquint")
            shutil.copy(BINARY, engine)
            make_book(home, LINES)
            proc = subprocess.run([engine], input=b"quit\n", stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, cwd=elsewhere, timeout=60)
            out = proc.stdout.decode()
            os.remove(os.path.join(home, "Morvabook.bok"))
            proc = subprocess.run([engine], input=b"quit\n", stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, cwd=elsewhere, timeout=60)
        self.assertIn("Opening book is ........... On\n", out)
        self.assertNotIn("missing", out)
        self.assertTrue(proc.stdout.decode().startswith("Opening book is missing.\n"))


class ConsolePlay(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        if not plays("new\nnobook\ndepth 1\nblack\ngo\nquit\n"):
            raise unittest.SkipTest("the console cannot play a game yet")

    def start(self, tmp, lines, setup):
        make_book(tmp, lines)
        session = Session(tmp)
        self.addCleanup(session.close)
        session.send(setup)
        return session

    def test_book_moves_at_once_then_a_search_when_the_line_ends(self):
        with tempfile.TemporaryDirectory() as tmp:
            s = self.start(tmp, LINES, "new\npost\ndepth 2\nblack\ngo\n")
            text = s.expect(console_move("e4|d4|Nf3|c4"))
            first = text.split()[-1]
            self.assertIsNone(THINKING.search(text), text)
            line = REPLIES[first]
            for reply, answer in ((line[0], line[1]), (line[2], line[3])):
                s.send(reply + "\n")
                text = s.expect(console_move(answer))
                self.assertIsNone(THINKING.search(text), text)
            s.send("a6\n")
            text = s.expect(console_move())
            self.assertIsNotNone(THINKING.search(text), "out of the book it thinks: " + text)

    def test_nobook_searches_from_the_first_move(self):
        with tempfile.TemporaryDirectory() as tmp:
            s = self.start(tmp, LINES, "new\nnobook\npost\ndepth 2\nblack\ngo\n")
            text = s.expect(console_move())
            self.assertIsNotNone(THINKING.search(text), text)

    def test_games_started_in_different_seconds_do_not_all_open_alike(self):
        answers = set()
        with tempfile.TemporaryDirectory() as tmp:
            make_book(tmp, ANSWERS)
            for _ in range(8):
                time.sleep(1.0 - time.time() % 1.0 + 0.05)  # a new second for every game
                s = Session(tmp)
                s.send("new\ngo\ne4\n")
                answers.add(s.expect(r"\.\.\.(e5|c5)\n").split("...")[-1].strip())
                s.close()
                if len(answers) > 1:
                    break
        self.assertEqual(answers, {"e5", "c5"})


class XboardPlay(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        if not plays("xboard\nprotover 2\nnew\ngo\nquit\n", "feature "):
            raise unittest.SkipTest("the xboard front end cannot play a game yet")

    def test_book_moves_at_once_then_a_search_when_the_line_ends(self):
        with tempfile.TemporaryDirectory() as tmp:
            make_book(tmp, LINES)
            s = Session(tmp)
            self.addCleanup(s.close)
            s.send("xboard\nprotover 2\nnew\npost\nlevel 0 1 0\ntime 6000\notim 6000\ngo\n")
            text = s.expect(r"move (e4|d4|Nf3|c4)\n")
            first = text.split()[-1]
            self.assertIsNone(THINKING.search(text), text)
            line = REPLIES[first]
            for reply, answer in ((line[0], line[1]), (line[2], line[3])):
                s.send("time 6000\notim 6000\nusermove %s\n" % reply)
                text = s.expect(r"move %s\n" % answer)
                self.assertIsNone(THINKING.search(text), text)
            s.send("time 6000\notim 6000\nusermove a6\n")
            text = s.expect(r"move \S+\n")
            self.assertIsNotNone(THINKING.search(text), "out of the book it thinks: " + text)


if __name__ == "__main__":
    unittest.main()
