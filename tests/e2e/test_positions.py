"""Positions a GUI sends, over xboard and UCI: every position a legal game can reach is set up
(bare kings, underpromoted minor pieces, mates and stalemates), impossible ones are refused,
and after a refusal the engine never moves until a valid position arrives."""
import re
import unittest

from engine import EngineTestCase, Session
from test_uci import UciCase

# Material only underpromotions reach: three knights and a light-squared bishop; two knights
# and two light-squared bishops; four knights; three rooks; six queens; bishops of one colour.
ODD_MATERIAL = (
    "4k3/8/8/8/8/8/8/NN1NKB2 w - - 0 1",
    "4k3/8/8/8/8/8/8/NN1BKB2 w - - 0 1",
    "4k3/8/8/8/8/8/8/NN1BKB2 b - - 0 1",
    "n3k1n1/8/8/8/8/8/8/NN2K1NN b - - 0 1",
    "r3k2r/pppppp2/8/8/8/8/3PPP2/RR2K2R w Kkq - 0 1",
    "8/8/8/k7/8/8/8/1QQQKQQQ w - - 0 1",
    "2b1kb2/1ppppp2/8/8/8/8/8/R3K1b1 w Q - 0 1",
)
DRAWN_MATERIAL = ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/4KN2 w - - 0 1",
                  "4k3/8/8/8/8/8/8/4KB2 b - - 0 1")
WHITE_MATED = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"
BLACK_MATED = "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1"
STALEMATE = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"
# Two bishops on dark squares beside all eight pawns: one must be promoted, but no pawn is
# missing.
SAME_COLOUR_BISHOPS = ("4k3/8/8/8/8/8/PPPPPPPP/B1B1K3 w - - 0 1",
                       "b1b1k3/pppppppp/8/8/8/8/8/4K3 w - - 0 1")
# White's only legal move is a3.
ONE_MOVE = "k5r1/8/8/8/p7/7p/P6P/7K w - - 0 1"
REFUSED = "tellusererror Invalid position\n"


class XboardPositions(EngineTestCase):
    def open(self, setup="new\nforce\n"):
        s = Session(cwd=self.scratch_folder())
        self.addCleanup(s.kill)
        s.send("xboard\nprotover 2\n" + setup + "ping 999\n")
        s.expect("pong 999\n")
        self.n = 0
        return s

    def answer(self, s, text):
        """Sends text and a ping; returns everything the engine printed before the pong."""
        self.n += 1
        s.send(text + "ping %d\n" % self.n)
        return s.expect("pong %d\n" % self.n)[:-len("pong %d\n" % self.n)]

    def engine_move(self, s):
        return s.expect_re(r"move (\S+)\n").group(1)

    def test_positions_only_underpromotions_reach_are_set_up_and_searched(self):
        s = self.open()
        for fen in ODD_MATERIAL:
            with self.subTest(fen=fen):
                self.assertEqual(self.answer(s, "setboard %s\n" % fen), "")
                s.send("sd 4\ngo\n")
                move = self.engine_move(s)
                # The engine's move is one of the position: replayed in force mode it is taken
                # (a mate it gives is announced).
                replay = self.answer(s, "force\nsetboard %s\nusermove %s\n" % (fen, move))
                self.assertNotRegex(replay, "(?i)illegal|invalid|error")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_finished_games_are_set_up_and_go_answers_the_result(self):
        s = self.open()
        cases = [(WHITE_MATED, "0-1 {Black mates}\n"), (BLACK_MATED, "1-0 {White mates}\n"),
                 (STALEMATE, "1/2-1/2 {Stalemate}\n")]
        cases += [(fen, "1/2-1/2 {Insufficient material}\n") for fen in DRAWN_MATERIAL]
        for fen, result in cases:
            with self.subTest(fen=fen):
                # Set up in silence; "go" answers with the result and plays nothing.
                self.assertEqual(self.answer(s, "setboard %s\n" % fen), "")
                self.assertEqual(self.answer(s, "go\n"), result)
                self.assertEqual(self.answer(s, "go\n"), result)
        # Bare kings can still be moved about by the GUI.
        self.assertEqual(self.answer(s, "setboard %s\nusermove Kd1\n" % DRAWN_MATERIAL[0]), "")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_analysis_of_a_mate_reports_no_move(self):
        s = self.open("new\nforce\npost\n")
        self.assertEqual(self.answer(s, "setboard %s\nanalyze\n" % BLACK_MATED), "")
        self.assertEqual(self.answer(s, ".\n"), "stat01: 0 0 0 0 0\n")
        # A new position restarts the analysis, which then thinks about that position.
        s.send("setboard %s\n" % ONE_MOVE)
        s.expect_re(r"(?m)^\s*\d+ -?\d+ \d+ \d+ a3")
        self.answer(s, "exit\n")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_impossible_material_is_refused_and_no_move_follows(self):
        s = self.open()
        for fen in SAME_COLOUR_BISHOPS:
            with self.subTest(fen=fen):
                colour = "white" if "B1B1" in fen else "black"
                self.assertEqual(self.answer(s, "setboard %s\n" % fen),
                                 "Error. Too many %s bishops.\n" % colour + REFUSED)
        for text in ("setboard 4k3/8/8/8/8/8/PPPPPPPP/RRR1K3 w - - 0 1\n",
                     "setboard 4k3/8/8/8 w - - 0 1\n", "setboard\n"):
            self.answer(s, text)
            # No position: "go" is refused, moves are refused, nothing is played.
            self.assertEqual(self.answer(s, "go\n"), "Error (no valid position): go\n")
            # The refusal in either of the protocol's forms ("Illegal move: X" is the newer).
            self.assertRegex(self.answer(s, "usermove e2e4\n"),
                             r"^(Invalid|Illegal) move:? e2e4\n$")
            self.assertEqual(self.answer(s, "analyze\n.\n"), "stat01: 0 0 0 0 0\n")
            self.answer(s, "exit\n")
        # A valid position ends the refusal; a FEN without its two counters is one.
        self.assertEqual(self.answer(s, "setboard %s\n" % ONE_MOVE.rsplit(" ", 2)[0]), "")
        s.send("sd 2\ngo\n")
        self.assertEqual(self.engine_move(s), "a3")
        # So does a new game.
        self.answer(s, "setboard 8/8/8 w - - 0 1\nnew\nforce\n")
        self.assertEqual(self.answer(s, "usermove e2e4\n"), "")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_setboard_while_the_engine_plays(self):
        s = self.open("new\n")
        # While the engine thinks on its own move: the search stops without a move.
        s.send("st 30\ngo\n")
        self.assertEqual(self.answer(s, "setboard %s\n" % ONE_MOVE), "")
        self.assertNotRegex(s.output, r"(?m)^move ")
        s.send("st 1\ngo\n")
        self.assertEqual(self.engine_move(s), "a3")
        # Waiting for the opponent's move, pondering, and right after "undo".
        for setup in ("", "hard\n", "undo\n"):
            with self.subTest(setup=setup):
                s.send("new\nsd 3\ngo\n")
                self.engine_move(s)
                self.assertEqual(self.answer(s, setup + "setboard %s\n" % ONE_MOVE), "")
                # Force mode: the user's move is played without a reply.
                self.assertEqual(self.answer(s, "usermove a3\n"), "")
                self.assertEqual(self.answer(s, "setboard %s\n" % ONE_MOVE), "")
                s.send("go\n")
                self.assertEqual(self.engine_move(s), "a3")
                self.answer(s, "easy\n")
        self.assertEqual(s.finish("quit\n"), 0)


class UciPositions(UciCase):

    def best(self, s):
        return s.expect_re(r"bestmove (\S+)(?: ponder \S+)?\n").group(1)

    def test_every_legal_position_is_searched(self):
        s = self.open()
        for fen in ODD_MATERIAL + DRAWN_MATERIAL:
            with self.subTest(fen=fen):
                s.send("position fen %s\n" % fen)
                self.assertEqual(self.ready(s), "")
                s.send("go depth 4\n")
                move = self.best(s)
                # The move is one of the position's: the engine accepts it after the FEN.
                s.send("position fen %s moves %s\n" % (fen, move))
                self.assertEqual(self.ready(s), "")
        for fen in (WHITE_MATED, BLACK_MATED, STALEMATE):
            s.send("position fen %s\ngo depth 4\n" % fen)
            self.assertEqual(self.best(s), "0000")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_refused_positions_answer_the_null_move(self):
        s = self.open()
        cases = (
            ("position fen 4k3/8/8/8/8/8/PPPPPPPP/RRR1K3 w - - 0 1\n",
             "info string Error. Too many white rooks.\n"
             "info string Invalid position: 4k3/8/8/8/8/8/PPPPPPPP/RRR1K3 w - - 0 1\n"),
            ("position fen %s\n" % SAME_COLOUR_BISHOPS[0],
             "info string Error. Too many white bishops.\n"
             "info string Invalid position: %s\n" % SAME_COLOUR_BISHOPS[0]),
            # Cut off: the side to move and the rest are missing.
            ("position fen 4k3/8/8/8/8/8/8/4KN2\n",
             "info string Invalid position: 4k3/8/8/8/8/8/8/4KN2\n"),
            ("position fen\n", "info string Invalid position: no FEN given\n"),
            ("position\n", "info string Invalid position: startpos or fen expected\n"),
            ("position startpos e2e4\n", "info string Invalid position: moves expected, not e2e4\n"),
            # An illegal move refuses the whole line, not just the moves from it on.
            ("position startpos moves e2e4 e7e5 e1e3 d7d5\n",
             "info string Invalid position: illegal move e1e3\n"),
        )
        for text, answer in cases:
            with self.subTest(text=text):
                # A position searched first, so that a move of it would show.
                s.send("position startpos moves e2e4\n")
                s.send(text)
                self.assertEqual(self.ready(s), answer)
                for go in ("go depth 3\n", "go movetime 50\n", "go wtime 1000 btime 1000\n"):
                    s.send(go)
                    self.assertEqual(self.best(s), "0000")
                s.send("go infinite\n")
                self.assertEqual(self.ready(s), "")
                s.send("stop\n")
                self.assertEqual(self.best(s), "0000")
        # A valid position ends the refusal (a FEN without its two counters, or with only the
        # half-move clock, is one); so does a new game.
        for fen in (ONE_MOVE.rsplit(" ", 2)[0], ONE_MOVE.rsplit(" ", 1)[0]):
            s.send("position fen %s\n" % fen)
            self.assertEqual(self.ready(s), "")
            s.send("go depth 2\n")
            self.assertEqual(self.best(s), "a2a3")
        s.send("position startpos moves e2e4\ngo depth 2\n")
        self.assertRegex(self.best(s), r"^[a-h][78][a-h][56]$")
        s.send("position fen\nucinewgame\nposition startpos moves d2d4\ngo depth 2\n")
        self.assertNotEqual(self.best(s), "0000")
        self.assertEqual(s.finish("quit\n"), 0)


if __name__ == "__main__":
    unittest.main()
