"""The console commands that tell about the game: show, history, hint, score and pgn. The
PGN files are read back by the engine's own move reader (the book builder and the console's
force mode), so a file the engine writes is one it can replay."""
import os
import re
import tempfile
import unittest

from engine import (START_ROWS, EngineTestCase, Session, board_diagram, play, rows_of, run)

QUESTION = "Would you like to play another game? (yes/no) "
# The Opera game: castling, captures, checks, a knight move that needs its file, and mate.
OPERA = ("e4 e5 Nf3 d6 d4 Bg4 dxe5 Bxf3 Qxf3 dxe5 Bc4 Nf6 Qb3 Qe7 Nc3 c6 Bg5 b5 Nxb5 cxb5 "
         "Bxb5+ Nbd7 O-O-O Rd8 Rxd7 Rxd7 Rd1 Qe6 Bxd7+ Nxd7 Qb8+ Nxb8 Rd8#").split()
ROSTER = ["Event", "Site", "Date", "Round", "White", "Black", "Result"]
DIAGRAM = re.compile(r"\n    \+(?:.|\n)*?a    b    c    d    e    f    g    h\n\n"
                     r"(?:\n(?:White|Black) to move>  )?")
TAG = re.compile(r'^\[([A-Za-z0-9_]+) "((?:[^"\\]|\\.)*)"\]$')


def numbered(moves, first=1, black_first=False):
    """The history listing of SAN moves: a line for each move number."""
    lines, half = [], 1 if black_first else 0
    for move in moves:
        number = first + half // 2
        if half % 2 == 0:
            lines.append("%d. %s" % (number, move))
        elif not lines:
            lines.append("%d... %s" % (number, move))
        else:
            lines[-1] += " " + move
        half += 1
    return "\n".join(lines) + "\n"


def read_pgn(path):
    """The tags (in order) and the movetext tokens of a PGN file written for one game, after
    checking the export layout: tag lines, one empty line, movetext lines of at most 79
    columns, one empty line."""
    with open(path) as f:
        text = f.read()
    assert text.endswith("\n\n") and not text.endswith("\n\n\n"), repr(text[-20:])
    head, body = text.split("\n\n", 1)
    tags = []
    for line in head.splitlines():
        m = TAG.match(line)
        assert m, line
        tags.append((m.group(1), m.group(2)))
    lines = body.rstrip("\n").splitlines()
    assert all(0 < len(line) <= 79 and line == line.strip() for line in lines), lines
    return tags, " ".join(lines).split()


def san_of(tokens):
    """The moves of movetext tokens, without move numbers and the result."""
    return [re.sub(r"^\d+\.+", "", t) for t in tokens[:-1] if not re.fullmatch(r"\d+\.+", t)]


class GameCommands(EngineTestCase):
    def script(self, text, cwd=None, timeout=60):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin=text, cwd=cwd or empty, timeout=timeout)
        self.assertEqual(status, 0)
        return out

    def test_show_and_history_in_force_mode_and_after_mate(self):
        moves = "\n".join(OPERA[:-1])
        out = self.script("new\nforce\n" + moves + "\nhistory\nShow\nRd8#\nHISTORY\nshow\nno\n")
        history = numbered(OPERA[:-1])
        before, after = out.split(history, 1)
        # "show" prints the diagram of the position with its prompt, as the last move did.
        last = DIAGRAM.findall(before)[-1]
        self.assertTrue(last.endswith("\nWhite to move>  "))
        self.assertTrue(after.startswith(last), after[:200])
        # After the mate the game is over: the question still lets the game be listed and
        # shown (without a prompt), then asks again.
        mate = DIAGRAM.findall(after)[1]
        question = after[after.index(QUESTION):]
        self.assertEqual(question, QUESTION + numbered(OPERA) + "\n" + QUESTION +
                         mate[:mate.index("\nBlack to move>  ")] + "\n" + QUESTION)

    def test_history_of_a_set_up_position_with_black_to_move(self):
        fen = "4k3/8/8/8/8/8/7p/R3K3 b Q - 0 12"
        out = self.script("new\nblack\nfen\n" + fen + "\nforce\nKd7\nO-O-O+\nhistory\n"
                          "Ke6\nhistory\nquit\n")
        self.assertIn(numbered(["Kd7", "O-O-O+"], 12, True), out)
        self.assertIn(numbered(["Kd7", "O-O-O+", "Ke6"], 12, True), out)
        self.assertIn(">  12... Kd7\n13. O-O-O+ Ke6\n", out)

    def test_score_is_the_static_evaluation_from_whites_side(self):
        for fen in ("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
                    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 3",
                    "4k3/8/8/8/8/8/8/QQ2K3 b - - 0 1"):
            with self.subTest(fen=fen):
                status, out = run(["eval", fen])
                self.assertEqual(status, 0)
                side = int(re.search(r"^score: (-?\d+)$", out, re.M).group(1))
                white = side if " w " in fen else -side
                # The engine takes the other side: the user is to move in the set-up position.
                colour = "black\n" if " b " in fen else ""
                out = self.script("new\n" + colour + "fen\n" + fen + "\nscore\nSCORE\nquit\n")
                text = "Score: %s%d.%02d (in pawns, from White's side)\n" % (
                    "-" if white < 0 else "+", abs(white) // 100, abs(white) % 100)
                self.assertEqual(out.count(text), 2, out[-300:])

    def test_hint_is_the_reply_the_engine_expects_or_a_book_move(self):
        s = Session(cwd=self.folder())
        self.addCleanup(s.kill)
        s.send("new\npost\ndepth 4\ngo\nhint\n")
        s.expect("No hint available.\n")
        s.send("e4\n")
        out = s.expect("White to move>  \n", timeout=120)
        lines = [line.split() for line in out.splitlines() if re.match(r"^\d+ -?\d+ \d+ \d+ ", line)]
        pv = lines[-1][4:]
        self.assertGreaterEqual(len(pv), 2, out)
        s.send("Hint\n")
        s.expect("Hint: %s\n" % pv[1])
        self.assertEqual(s.finish("quit\n"), 0)
        # With a book, the book answers the position.
        folder = self.folder()
        self.assertEqual(run(["makebook", "/dev/stdin", "Morvabook.bok"], stdin="d4 d5\n",
                             cwd=folder)[0], 0)
        out = self.script("new\nhint\nforce\nd4\nhint\nquit\n", cwd=folder)
        self.assertEqual(re.findall(r"Hint: \S+", out), ["Hint: d4", "Hint: d5"])

    def folder(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        return folder.name


class WhileTheEngineThinks(EngineTestCase):
    def test_commands_during_pondering_and_the_engines_search(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        s = Session(cwd=folder.name)
        self.addCleanup(s.kill)
        s.send("new\nhard\ntime 1\ngo\ne4\n")
        s.expect("Black to move>  ")
        reply = s.expect_re(r"\.\.\.(\S+)\n").group(1)
        board = s.expect("White to move>  ")
        # While the engine ponders on its expected reply: the board is the game's (not the
        # expected reply's), the hint is the expected reply, and the history needs the board:
        # the ponder search is given up for it.
        s.send("show\nhint\n")
        self.assertEqual(s.expect("White to move>  "), board)
        hint = s.expect_re(r"Hint: (\S+)\n").group(1)
        s.send("history\n")
        s.expect("1. e4 %s\n" % reply)
        # A setting changes while the engine waits, and the game goes on with the user's move.
        s.send("time 2\n")
        s.expect("Time control .............. 2 seconds per move\n")
        # "history" typed while the engine thinks is answered after its move.
        s.send(hint + "\nhistory\n")
        second = s.expect_re(r"\.\.\.(\S+)\n").group(1)
        s.expect("White to move>  ")
        history = "\n1. e4 %s\n2. %s %s\n" % (reply, hint, second)
        self.assertEqual(s.expect(history), history)
        self.assertEqual(s.finish("quit\n"), 0)


class Pgn(EngineTestCase):
    def game_file(self, script):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin=script.replace("FILE", os.path.join(folder.name, "g.pgn")),
                              cwd=empty)
        self.assertEqual(status, 0)
        self.assertIn("Game saved in %s\n" % os.path.join(folder.name, "g.pgn"), out)
        return os.path.join(folder.name, "g.pgn"), out

    def check_roster(self, tags, result, white="?", black="Morvaquint 3.3"):
        self.assertEqual([name for name, _ in tags[:7]], ROSTER)
        values = dict(tags)
        self.assertEqual(values["Event"], "Morvaquint console game")
        self.assertRegex(values["Date"], r"^\d{4}\.\d\d\.\d\d$")
        self.assertEqual((values["White"], values["Black"], values["Result"]),
                         (white, black, result))

    def test_finished_game_reads_back_in_the_book_builder(self):
        path, _ = self.game_file("new\nforce\n" + "\n".join(OPERA) + "\npgn FILE\nno\n")
        tags, tokens = read_pgn(path)
        self.check_roster(tags, "1-0")
        self.assertEqual(len(tags), 7)  # the initial position: no set-up tags
        self.assertEqual(tokens[:3], ["1.", "e4", "e5"])
        self.assertEqual(tokens[-2:], ["Rd8#", "1-0"])
        self.assertEqual(san_of(tokens), OPERA)
        # The book builder replays a line of SAN from the initial position with its own reader.
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "line.txt"), "w") as f:
                f.write(" ".join(tokens[:-1]).replace("#", "") + "\n")
            status, out = run(["makebook", "line.txt", "out.bok"], cwd=folder)
        self.assertEqual((status, out), (0, "makebook: 1 lines, 33 positions written to "
                                            "out.bok\n"))

    def test_game_in_progress_from_a_set_up_position_replays_to_the_same_board(self):
        fen = "r3k2r/1P6/8/8/8/8/6p1/R3K2R b KQkq - 3 30"
        moves = ["O-O", "bxa8=Q", "Kg7", "O-O-O", "gxh1=N"]
        path, out = self.game_file("new\nblack\nfen\n" + fen + "\nforce\n" + "\n".join(moves)
                                   + "\nPGN FILE\nquit\n")
        self.assertNotIn("Invalid", out)
        final = DIAGRAM.findall(out)[-1]
        tags, tokens = read_pgn(path)
        self.check_roster(tags, "*", white="Morvaquint 3.3", black="?")
        self.assertEqual(tags[7:], [("SetUp", "1"), ("FEN", fen)])
        self.assertEqual(tokens[:2], ["30...", "O-O"])
        self.assertEqual(tokens[-1], "*")
        self.assertEqual(san_of(tokens), moves)
        # Set up from the FEN tag and replayed in force mode, the moves give the same board.
        status, replay = run(stdin="new\nblack\nfen\n%s\nforce\n%s\nquit\n" % (
            dict(tags)["FEN"], "\n".join(san_of(tokens))), cwd=os.path.dirname(path))
        self.assertEqual(status, 0)
        self.assertNotIn("Invalid", replay)
        self.assertEqual(DIAGRAM.findall(replay)[-1], final)

    def test_resigned_game_and_refusals(self):
        # The user resigns as Black before the engine's first move: no moves, the result.
        path, out = self.game_file("new\nblack\ngo\nresign\npgn FILE\nno\n")
        tags, tokens = read_pgn(path)
        self.check_roster(tags, "1-0", white="Morvaquint 3.3", black="?")
        self.assertEqual(tokens, ["1-0"])
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin="new\npgn\npgn /nonexistent/folder/g.pgn\nquit\n", cwd=empty)
        self.assertEqual(status, 0)
        self.assertIn("Give a file name (e.g. pgn game.pgn)\n", out)
        self.assertIn("Cannot write /nonexistent/folder/g.pgn\n", out)


if __name__ == "__main__":
    unittest.main()
