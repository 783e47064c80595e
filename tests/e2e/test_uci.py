"""The UCI protocol as a GUI or a tournament manager drives it: the handshake, positions with
every kind of move, the search limits, pondering, lines answered during a search, and lines
that must change nothing."""
import os
import re
import tempfile
import time
import unittest

from engine import (START_ROWS, EngineTestCase, Session, play, resident_mb, run,
                    run_from_file)

IDENTITY = ("id name Morvaquint 3.3\nid author the Morvaquint authors\n"
            "option name Ponder type check default false\n"
            "option name OwnBook type check default true\n"
            "option name Move Overhead type spin default 30 min 0 max 5000\n"
            "option name Hash type spin default 124 min 1 max 1024\n"
            "option name Clear Hash type button\n"
            "option name MultiPV type spin default 1 min 1 max 8\n"
            "option name UCI_AnalyseMode type check default false\nuciok\n")
NO_BOOK = "info string Opening book is missing.\n"
INFO = re.compile(r"(?m)^info depth (\d+) score (?:cp -?\d+|mate -?\d+) nodes (\d+) "
                  r"nps \d+ time \d+ pv(?: [a-h][1-8][a-h][1-8][nbrq]?)+$")
# White castled, then takes en passant on d6 and promotes on b8 with check: Black's only
# reply is to take the new queen with the rook (f7 is covered by the castled rook).
FORCED_FEN = "6k1/1P1p2pp/8/4P3/8/8/1r6/4K2R w K - 0 1"
FORCED_MOVES = "e1g1 d7d5 e5d6 b2b3 b7b8q"


class UciCase(EngineTestCase):
    def open(self, folder=None):
        """An engine in UCI mode (in a folder without a book unless one is given)."""
        if folder is None:
            tmp = tempfile.TemporaryDirectory()
            self.addCleanup(tmp.cleanup)
            folder = tmp.name
        s = Session(cwd=folder)
        self.addCleanup(s.kill)
        s.send("uci\n")
        s.expect("uciok\n")
        self.ready(s)
        return s

    def ready(self, s):
        """Sends "isready"; returns the output before "readyok"."""
        s.send("isready\n")
        return s.expect("readyok\n")[:-len("readyok\n")]

    def best(self, s, timeout=60):
        """The next bestmove line: (move, ponder move or None)."""
        m = s.expect_re(r"bestmove (\S+)(?: ponder (\S+))?\n", timeout)
        return m.group(1), m.group(2)

    def thinking(self, s):
        """The output up to the next bestmove line, and its move."""
        start = s.pos
        move = self.best(s)[0]
        return s.output[start:s.pos], move

    def assert_mover(self, move, rows, white=True):
        """The move starts on a square of a piece of the side in the rows (rank 8 first)."""
        piece = rows[8 - int(move[1])][ord(move[0]) - 97]
        self.assertTrue(piece.isupper() if white else piece.islower(), "%s: %r" % (move, piece))


class Handshake(UciCase):
    def test_uci_first_or_late_and_the_end_of_input(self):
        # "uci" already waiting at start-up: no console greeting, only UCI.
        status, out = run_from_file("uci\nisready\n")
        self.assertEqual(status, 0)  # the end of input ends the engine cleanly
        self.assertEqual(out, IDENTITY + NO_BOOK + "readyok\n")
        # A last line without its newline still counts, also during a search.
        status, out = run_from_file("uci\ngo infinite\nstop")
        self.assertEqual(status, 0)
        self.assertRegex(out, r"\ninfo depth 1 [^\n]*\n(info [^\n]*\n)*bestmove [^\n]+\n$")
        # Typed as a console command, the answer starts on a line of its own.
        s = self.console()
        s.send("uci\n")
        self.assertEqual(s.expect("uciok\n"), "\n" + IDENTITY)
        self.assertEqual(self.ready(s), NO_BOOK)
        self.assertEqual(s.finish(), 0)


    def test_a_gui_that_writes_uci_after_the_start_sees_only_uci(self):
        # A GUI starts the engine and then writes "uci": nothing may come before "id name".
        with tempfile.TemporaryDirectory() as folder:
            s = Session(cwd=folder)
            self.addCleanup(s.kill)
            time.sleep(0.1)
            s.send("uci\n")
            self.assertEqual(s.expect("uciok\n"), IDENTITY)
            self.assertEqual(self.ready(s), NO_BOOK)
            self.assertEqual(s.finish("quit\n"), 0)


class Options(UciCase):
    def test_analyse_mode_is_accepted_and_clear_hash_forgets(self):
        s = self.open()
        search = "position startpos moves e2e4 e7e5\ngo depth 7\n"

        def nodes():
            s.send(search)
            out, _ = self.thinking(s)
            return [int(m.group(2)) for m in INFO.finditer(out)][-1]

        fresh = nodes()
        s.send("setoption name UCI_AnalyseMode value true\n")
        self.assertEqual(self.ready(s), "")
        # A second search of the position starts from what the first one stored: "isready"
        # (sent by the GUI before every search) keeps the tables.
        self.assertLess(nodes(), fresh // 2)
        s.send("setoption name Clear Hash\n")
        self.assertEqual(self.ready(s), "")
        self.assertEqual(nodes(), fresh)  # the same tree as a fresh engine's
        s.send("setoption name UCI_AnalyseMode value false\n")
        self.assertEqual(self.ready(s), "")
        self.assertEqual(s.finish("quit\n"), 0)


    def test_hash_sizes_the_tables_between_searches(self):
        s = self.open()
        search = "position startpos moves d2d4 d7d5\ngo depth 6\n"

        def nodes(options=""):
            s.send(options + search)
            out, move = self.thinking(s)
            self.assertIn(move, ("c2c4", "g1f3", "c1f4", "b1c3", "e2e3", "c1g5", "g2g3", "e2e4"))
            self.assertTrue(out.startswith(options and refused), out)
            return [int(m.group(2)) for m in INFO.finditer(out)][-1]

        fresh = nodes()
        full = resident_mb(s)  # "isready" has touched the default tables, the search the rest
        # Refused values change nothing, nor does the size in use: the tables keep what the
        # search stored.
        refused = "".join("info string Hash must be a number of megabytes from 1 to 1024: %s\n"
                          % v for v in ("0", "lots", "1025"))
        self.assertLess(nodes("setoption name Hash value 0\nsetoption name Hash value lots\n"
                              "setoption name Hash value 1025\nsetoption name Hash value 124\n"),
                        fresh * 3 // 4)
        # 16 MB for all tables leaves the main pair its least size: the memory is given back,
        # and the engine searches with the small tables.
        s.send("setoption name Hash value 16\n")
        self.assertEqual(self.ready(s), "")
        self.assertGreater(full - resident_mb(s), 60)
        nodes()
        # Back to the default size: new tables, as empty as a fresh engine's (only the killer
        # moves, which a new size does not forget, make the count differ a little).
        s.send("setoption name hash value 124\n")
        self.assertEqual(self.ready(s), "")
        self.assertGreater(nodes(), fresh * 9 // 10)
        s.send("setoption name Clear Hash\n")
        self.assertEqual(nodes(), fresh)
        self.assertEqual(s.finish("quit\n"), 0)


    def test_multipv_reports_the_best_root_moves_in_order(self):
        s = self.open()
        multi = re.compile(r"(?m)^info depth (\d+) multipv (\d+) score (cp|mate) (-?\d+) "
                           r"nodes \d+ nps \d+ time \d+ pv((?: [a-h][1-8][a-h][1-8][nbrq]?)+)$")

        def lines(fen, depth):
            """The lines of each depth reported, [(rank, score, first move)], and bestmove."""
            s.send("position fen %s\ngo depth %d\n" % (fen, depth))
            out, move = self.thinking(s)
            self.assertEqual(INFO.findall(out), [], out)  # every line says its rank
            depths = {}
            for m in multi.finditer(out):
                kind, value = m.group(3), int(m.group(4))
                # Mates rank above any centipawn score, the nearer mate higher.
                score = (100000 - value if value > 0 else -100000 - value) if kind == "mate" \
                    else value
                depths.setdefault(int(m.group(1)), []).append(
                    (int(m.group(2)), score, m.group(5).split()[0]))
            return depths, move

        s.send("setoption name MultiPV value 3\n")
        self.assertEqual(self.ready(s), "")
        # A quiet middlegame, and one where a rook mates at once: every finished depth
        # reports three different root moves, ranked 1..3, their scores falling, and the
        # bestmove is the first line's move.
        for fen, depth in (("r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 w - - 0 10", 5),
                           ("6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", 4)):
            depths, move = lines(fen, depth)
            self.assertTrue(depths, fen)
            for d, found in depths.items():
                self.assertEqual([rank for rank, _, _ in found], [1, 2, 3], (fen, d))
                self.assertEqual(len({first for _, _, first in found}), 3, (fen, d))
                scores = [score for _, score, _ in found]
                self.assertEqual(scores, sorted(scores, reverse=True), (fen, d))
            self.assertEqual(move, depths[max(depths)][0][2], fen)
        self.assertEqual(move, "a1a8")
        # Two legal moves give two lines.
        depths, move = lines("7k/8/8/8/8/8/8/K6R b - - 0 1", 4)
        self.assertEqual(sorted({first for found in depths.values() for _, _, first in found}),
                         ["h8g7", "h8g8"])
        self.assertTrue(all(len(found) == 2 for found in depths.values()))
        # A value out of range changes nothing; back at one line, the reports are plain again.
        s.send("setoption name MultiPV value 9\nsetoption name MultiPV value 1\n")
        self.assertEqual(self.ready(s), "info string MultiPV must be a number from 1 to 8: 9\n")
        s.send("position fen 6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1\ngo depth 3\n")
        out, move = self.thinking(s)
        self.assertEqual((multi.findall(out), move), ([], "a1a8"))
        self.assertTrue(INFO.search(out), out)
        self.assertEqual(s.finish("quit\n"), 0)


class Positions(UciCase):
    def test_castling_en_passant_promotion_and_an_illegal_move(self):
        s = self.open()
        s.send("position fen %s moves %s\ngo depth 5\n" % (FORCED_FEN, FORCED_MOVES))
        self.assertEqual(self.best(s), ("b3b8", None))
        # Both sides castle; the rooks then leave the squares castling put them on.
        moves = "e2e4 e7e5 g1f3 g8f6 f1c4 f8c5 e1g1 e8g8 f1e1 f8e8"
        s.send("position startpos moves %s\n" % moves)
        self.assertEqual(self.ready(s), "")
        s.send("go depth 2\n")
        self.assert_mover(self.best(s)[0], play(START_ROWS, *moves.split()[:6]))
        # An illegal move refuses the position: no move of another position is answered.
        s.send("position startpos moves e2e4 e7e5 e1e3 d7d5\n")
        self.assertEqual(self.ready(s), "info string Invalid position: illegal move e1e3\n")
        s.send("go depth 2\n")
        self.assertEqual(self.best(s), ("0000", None))
        self.assertEqual(s.finish("quit\n"), 0)

    def test_malformed_and_unknown_lines_change_nothing(self):
        s = self.open()
        s.send("position fen %s moves %s\n" % (FORCED_FEN, FORCED_MOVES))
        s.send("foo bar\n\n   \nsetoption\nsetoption name\nsetoption name Nonsense value 1\n"
               "setoption name Move Overhead value lots\nsetoption name Ponder value maybe\n"
               "setoption name clear hash\nstop\nponderhit\ndebug on\n" + "x" * 100000 + "\n")
        self.assertEqual(self.ready(s), "info string No such option: Nonsense\n")
        s.send("go depth 3\n")  # still the forced position
        self.assertEqual(self.best(s), ("b3b8", None))
        self.assertEqual(s.finish("quit\n"), 0)


class Limits(UciCase):
    def test_depth_nodes_movetime_and_clock(self):
        s = self.open()
        s.send("position startpos\ngo depth 5\n")
        out, move = self.thinking(s)
        self.assertEqual([int(m.group(1)) for m in INFO.finditer(out)][-1], 5)
        self.assertNotIn("info depth 6 ", out)
        self.assert_mover(move, START_ROWS)
        # Without its node limit this search would run to the deepest iteration.
        s.send("go nodes 20000\n")
        out, move = self.thinking(s)
        counts = [int(m.group(2)) for m in INFO.finditer(out)]
        self.assertTrue(counts and max(counts) <= 22000, out)
        for line, least, most in (("go movetime 1000", 0.5, 3.0),
                                  ("go wtime 2000 btime 2000 winc 0 binc 0", 0.0, 2.0),
                                  ("go wtime -50 btime 100000 movestogo 5", 0.0, 2.0)):
            began = time.monotonic()
            s.send(line + "\n")
            self.assert_mover(self.best(s)[0], START_ROWS)
            self.assertTrue(least <= time.monotonic() - began <= most, line)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_own_book_option(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "lines.txt"), "w") as f:
                f.write("1.e4 e5 2.Nf3 Nc6\n")
            self.assertEqual(run(["makebook", "lines.txt", "Morvabook.bok"], cwd=folder)[0], 0)
            s = self.open(folder)
            s.send("position startpos moves e2e4\ngo depth 4\n")
            self.assertEqual(s.expect("bestmove e7e5\n"), "bestmove e7e5\n")  # no thinking
            s.send("setoption name OwnBook value false\ngo depth 4\n")
            self.assertTrue(INFO.search(self.thinking(s)[0]))
            self.assertEqual(s.finish("quit\n"), 0)


class DuringSearch(UciCase):
    def test_isready_stop_and_commands_that_need_the_position(self):
        s = self.open()
        s.send("position startpos\ngo infinite\n")
        s.expect("info depth 3 ")
        self.assertNotIn("bestmove", self.ready(s))
        s.send("stop\n")
        self.assert_mover(self.best(s, timeout=5)[0], START_ROWS)
        # A search that ends by itself keeps its move until "stop".
        s.send("position fen %s moves %s\ngo infinite\n" % (FORCED_FEN, FORCED_MOVES))
        self.assertNotIn("bestmove", self.ready(s))
        s.send("stop\n")
        self.assertEqual(self.best(s, timeout=5), ("b3b8", None))
        # A new position during a search ends it with its move, then takes effect.
        s.send("position startpos\ngo infinite\n")
        s.expect("info depth 2 ")
        s.send("position startpos moves e2e4\ngo depth 1\n")
        self.assert_mover(self.best(s)[0], START_ROWS)
        self.assert_mover(self.best(s)[0], play(START_ROWS, "e2e4"), white=False)
        s.send("go infinite\n")
        s.expect("info depth 2 ")
        self.assertEqual(s.finish("quit\n"), 0)  # quit during a search

    def test_ponder_then_ponderhit(self):
        s = self.open()
        clock = "wtime 60000 btime 60000 winc 100 binc 100"
        s.send("position startpos moves e2e4\ngo ponder %s\n" % clock)
        s.expect("info depth 3 ")
        self.assertNotIn("bestmove", self.ready(s))
        began = time.monotonic()
        s.send("ponderhit\n")
        move, _ = self.best(s)
        self.assertLess(time.monotonic() - began, 10.0)  # the clock runs from the ponderhit
        self.assert_mover(move, play(START_ROWS, "e2e4"), white=False)
        # A ponder search over at once (the only legal move) still waits for the ponderhit.
        s.send("position fen %s moves %s\ngo ponder %s\n" % (FORCED_FEN, FORCED_MOVES, clock))
        self.assertNotIn("bestmove", self.ready(s))
        s.send("ponderhit\n")
        self.assertEqual(self.best(s, timeout=5), ("b3b8", None))
        # The end of input during a ponder search ends the engine cleanly.
        s.send("position startpos\ngo ponder %s\n" % clock)
        s.expect("info depth 2 ")
        self.assertEqual(s.finish(), 0)


if __name__ == "__main__":
    unittest.main()
