"""Runs the engine binary through pipes for the end-to-end tests."""
import atexit
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

# The binary under test, as the build made it (with its opening book beside it).
BUILT_BINARY = os.environ.get("MORVAQUINT", os.path.join(
    os.path.dirname(__file__), "..", "..", "build", "release", "morvaquint"))
RELEASE = os.environ.get("MORVA_BUILD", "Release") == "Release"


def _bookless_copy():
    """A copy of the built binary in a folder of its own, where no book lies beside it or in
    ../share/morvaquint: the tests choose the book (or none) through the working directory."""
    folder = tempfile.mkdtemp(prefix="morvaquint-test-")
    os.mkdir(os.path.join(folder, "bin"))
    atexit.register(shutil.rmtree, folder, True)
    return shutil.copy2(BUILT_BINARY, os.path.join(folder, "bin", "morvaquint"))


BINARY = _bookless_copy()


def run(args=(), stdin="", timeout=120, cwd=None):
    """Runs the engine with arguments and the whole of stdin; returns (status, stdout)."""
    proc = subprocess.run([BINARY, *args], input=stdin.encode(), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout, cwd=cwd)
    return proc.returncode, proc.stdout.decode()


def run_from_file(text, timeout=30):
    """Runs the engine in a folder without a book with a file holding text as its standard
    input, so that all of it is waiting at start-up; returns (status, stdout)."""
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryFile() as lines:
        lines.write(text.encode())
        lines.seek(0)
        proc = subprocess.run([BINARY], stdin=lines, stdout=subprocess.PIPE, cwd=folder,
                              timeout=timeout)
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


def listing(ready=True, engine="Black", ponder="Off", thinking="Off",
            control="Time control .............. Infinite\n", depth=30, extra=""):
    """The console's settings listing (book off)."""
    text = "Current settings are: -\nReady to play a new game .. %s\n" % (
        "Yes" if ready else "No")
    text += "Morvaquint will play ...... %s\nPondering is .............. %s\n" % (engine, ponder)
    text += "Display thinking .......... %s\n%s" % (thinking, control)
    text += "Depth level ............... %d ply\nOpening book is ........... Off\n" % depth
    text += extra + ("For a list of commands type 'help' or 'go' to start\n" if ready
                     else "Type 'new' for a new game or 'quit' to exit\n")
    return text + ":- "


def play(rows, *moves):
    """The rows after coordinate moves ("e2e4"; "b7b8q" promotes; a king's two-square step
    castles and moves its rook too)."""
    grid = [list(r) for r in rows]
    for m in moves:
        f0, r0, f1, r1 = ord(m[0]) - 97, 8 - int(m[1]), ord(m[2]) - 97, 8 - int(m[3])
        piece, grid[r0][f0] = grid[r0][f0], "."
        if len(m) == 5:
            piece = m[4].upper() if piece.isupper() else m[4].lower()
        grid[r1][f1] = piece
        if piece in "Kk" and abs(f1 - f0) == 2:
            home, after = (7, 5) if f1 > f0 else (0, 3)
            grid[r1][after], grid[r1][home] = grid[r1][home], "."
    return ["".join(r) for r in grid]


def rows_of(fen):
    """The diagram rows of a FEN placement."""
    out = []
    for rank in fen.split()[0].split("/"):
        out.append("".join("." * int(c) if c.isdigit() else c for c in rank))
    return out


class EngineTestCase(unittest.TestCase):
    maxDiff = None

    def scratch_folder(self):
        """A folder without a book, removed after the test."""
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        return folder.name

    def console(self):
        """The engine at its first console prompt, in a folder without a book."""
        s = Session(cwd=self.scratch_folder())
        self.addCleanup(s.kill)
        s.expect("Type 'new' for a new game or 'quit' to exit\n:- ")
        return s


def resident_mb(session):
    """The engine's resident memory in megabytes (Linux)."""
    with open("/proc/%d/status" % session.proc.pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) // 1024
    return 0


class Session:
    """The engine in a pipe, driven line by line: sends text, waits for expected output."""

    def __init__(self, args=(), cwd=None):
        self.proc = subprocess.Popen([BINARY, *args], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     cwd=cwd)
        self.output = ""
        self.pos = 0  # output before this index has been matched by expect()
        self._cond = threading.Condition()
        self._done = False
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            chunk = os.read(fd, 65536)
            with self._cond:
                if not chunk:
                    self._done = True
                    self._cond.notify_all()
                    return
                self.output += chunk.decode()
                self._cond.notify_all()

    def send(self, text):
        self.proc.stdin.write(text.encode())
        self.proc.stdin.flush()

    def expect(self, text, timeout=60):
        """Waits until text appears after what was matched so far; returns the output up to
        and including it."""
        start = self.pos
        self.expect_re(re.escape(text), timeout)
        return self.output[start:self.pos]

    def expect_re(self, pattern, timeout=60):
        """Waits until the regular expression matches the output not matched yet; returns the
        match object and moves past it."""
        deadline = time.monotonic() + timeout
        with self._cond:
            while True:
                m = re.compile(pattern).search(self.output, self.pos)
                if m:
                    self.pos = m.end()
                    return m
                left = deadline - time.monotonic()
                if left <= 0 or self._done:
                    raise AssertionError("no %r in %r" % (pattern, self.output[self.pos:][-2000:]))
                self._cond.wait(left)

    def finish(self, text="", timeout=30):
        """Sends the last text, closes the input and returns the exit status."""
        if text:
            self.send(text)
        self.proc.stdin.close()
        status = self.proc.wait(timeout)
        self._reader.join(timeout)
        return status

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self._reader.join(5)
        self.proc.stdin.close()
        self.proc.stdout.close()
