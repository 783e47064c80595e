"""xboard as a person and as a match arbiter use it: the command streams xboard 4.9 sends in
"Machine Black", "Machine White" and engine-against-engine play, switching sides, lines the
engine does not know, refused moves, mate scores, and the "hint" and "bk" windows."""
import os
import re
import tempfile
import time
import unittest

from engine import EngineTestCase, Session, run

# What xboard answers to the feature line before it starts a game.
ACCEPTED = "".join("accepted %s\n" % f for f in (
    "sigint", "sigterm", "colors", "setboard", "usermove", "playother", "memory", "myname",
    "variants", "name", "ping", "san", "done"))
THINKING = re.compile(r"(?m)^(\d+) (-?\d+) \d+ \d+ (.*)$")
# Moves a user may try, in this order, until one is legal (a refusal names it).
USER_WHITE = ("Nf3", "Ng1", "Nc3", "Nb1", "a3", "h3", "a4", "h4", "Rh2", "Rh1")
USER_BLACK = ("Nf6", "Ng8", "Nc6", "Nb8", "a6", "h6", "a5", "h5", "Rh7", "Rh8")


class GuiCase(EngineTestCase):
    def open(self, setup, cwd=None):
        """An engine after xboard's start-up handshake and `setup`, in a folder without a
        book unless one is given; asserts that nothing but the pong answers `setup`."""
        if cwd is None:
            folder = tempfile.TemporaryDirectory()
            self.addCleanup(folder.cleanup)
            cwd = folder.name
        s = Session(cwd=cwd)
        self.addCleanup(s.kill)
        s.send("xboard\nprotover 2\n")
        s.expect("done=1\n")
        s.send(ACCEPTED)
        self.quiet(s, setup, 1000)
        return s

    def quiet(self, s, text, n):
        """Sends text and a ping; asserts that nothing but the pong comes back."""
        s.send(text + "ping %d\n" % n)
        self.assertEqual(s.expect("pong %d\n" % n), "pong %d\n" % n, text)

    def still(self, s, n, wait=0.5):
        """Nothing comes from the engine for a while: no thinking, no move."""
        time.sleep(wait)
        self.quiet(s, "", n)

    def engine_move(self, s, timeout=60):
        """The next move the engine announces; no refusal or error may come before it."""
        before = s.pos
        m = s.expect_re(r"(?m)^move (\S+)\n", timeout)
        self.assertNotRegex(s.output[before:s.pos], r"Illegal|Error|Invalid")
        return m.group(1)

    def user_move(self, s, candidates, clock=""):
        """Plays the first legal move of the candidates as a GUI sends it (clocks first);
        returns it."""
        for n, m in enumerate(candidates):
            s.send("%susermove %s\nping %d\n" % (clock, m, 2000 + n))
            answer = s.expect("pong %d\n" % (2000 + n))
            if "Illegal move: %s\n" % m not in answer:
                return m
        self.fail("no candidate move was legal")

    def answers_every_move(self, s, candidates, moves=4, clock="time 1000\notim 1000\n"):
        """The user makes `moves` moves; each gets the engine's reply."""
        for _ in range(moves):
            self.user_move(s, candidates, clock)
            self.engine_move(s)


class HumanAgainstEngine(GuiCase):
    # Sent by xboard before a game in Machine Black or Machine White mode; xboard sends "hard"
    # and then "easy" when pondering is off.
    SETUP = "new\nrandom\nlevel 40 0:10 0\npost\nhard\n%s"

    def test_machine_black_answers_the_users_moves_without_go(self):
        for pondering in ("easy\n", ""):
            with self.subTest(pondering=pondering != ""):
                s = self.open(self.SETUP % pondering)
                self.still(s, 1)  # White is to move and the engine plays Black
                self.answers_every_move(s, USER_WHITE)
                self.assertEqual(s.finish("quit\n"), 0)

    def test_machine_white_moves_on_go_and_answers_every_move(self):
        s = self.open(self.SETUP % "easy\n")
        s.send("time 1000\notim 1000\ngo\n")
        self.engine_move(s)
        self.answers_every_move(s, USER_BLACK)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_playother_switches_the_engine_to_the_side_not_to_move(self):
        # Set-up in force mode (Edit Game), then "Machine White" with Black to move.
        s = self.open(self.SETUP % "easy\n" + "force\nusermove e4\nplayother\n")
        self.still(s, 1)
        self.answers_every_move(s, USER_BLACK, moves=2)
        # Switching sides while the engine thinks on its own move: it stops without moving,
        # then answers the user's move for the side it thought for.
        s.send("new\nforce\npost\nlevel 0 60 0\ntime 360000\ngo\n")
        s.expect_re(r"(?m)^2 -?\d+ \d+ \d+ ", 30)
        s.send("playother\nping 2\n")
        self.assertNotRegex(s.expect("pong 2\n"), r"(?m)^move ")
        self.still(s, 3)
        s.send("sd 2\n")
        self.answers_every_move(s, USER_WHITE, moves=2)
        self.assertEqual(s.finish("quit\n"), 0)


class SetUpWhileTheEnginePlays(GuiCase):
    # White to move: Ra8 mates at once.
    FEN = "7k/8/6K1/8/8/8/8/R7 w - - 0 1"

    def test_setboard_after_new_and_during_a_search_sets_up_in_force_mode(self):
        # "new" leaves the engine playing Black; a position set up then waits for "go".
        s = self.open("new\nsetboard %s\n" % self.FEN)
        self.still(s, 1)
        s.send("go\n")
        self.assertEqual(self.engine_move(s), "Ra8+")
        # During the engine's own search: the search stops without a move and the position
        # is set up in force mode.
        s.send("new\nforce\npost\nlevel 0 60 0\ntime 360000\ngo\n")
        s.expect_re(r"(?m)^2 -?\d+ \d+ \d+ ", 30)
        s.send("setboard %s\nping 2\n" % self.FEN)
        self.assertNotRegex(s.expect("pong 2\n"), r"(?m)^move ")
        self.still(s, 3)
        s.send("sd 3\ngo\n")
        self.assertEqual(self.engine_move(s), "Ra8+")
        self.assertEqual(s.finish("quit\n"), 0)


class EngineAgainstEngine(GuiCase):
    # What xboard sends before every game of a match, with memory and cores as they come
    # when an engine asks for them.
    SETUP = ("memory 68\ncores 1\nnew\nrandom\nlevel 40 0:30 0\npost\nhard\neasy\n"
             "force\n")

    def test_match_stream_as_black_then_as_white(self):
        s = self.open(self.SETUP)
        self.still(s, 1)
        s.send("computer\ntime 3000\notim 2999\nusermove d4\ngo\n")
        self.engine_move(s)
        for move in ("c4", "Nc3"):
            s.send("time 2900\notim 2900\nusermove %s\n" % move)
            self.engine_move(s)
        s.send("result 1/2-1/2 {Draw}\nforce\n")
        self.quiet(s, self.SETUP, 2)
        self.still(s, 3)
        s.send("computer\ntime 3000\notim 3000\ngo\n")
        self.engine_move(s)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_force_after_new_keeps_the_engine_from_moving(self):
        s = self.open("new\nforce\nusermove e4\n")
        self.still(s, 1)
        s.send("sd 2\ngo\n")
        self.engine_move(s)
        self.assertEqual(s.finish("quit\n"), 0)


class Refusals(GuiCase):
    UNKNOWN = ("nps 1000", "pause", "edit", "exclude e2e4", "lift e2")

    def refused(self, s, n):
        """Sends the lines no engine command matches; each is answered with its error."""
        s.send("".join(line + "\n" for line in self.UNKNOWN) + "level 1 2\nping %d\n" % n)
        expected = "".join("Error (unknown command): %s\n" % line for line in self.UNKNOWN)
        answer = s.expect("pong %d\n" % n)
        self.assertTrue(answer.startswith(expected), answer)
        self.assertRegex(answer[len(expected):],
                         r"^Error \((?:bad argument|unknown command)\): level 1 2\npong %d\n$" % n)

    def test_unknown_commands_are_answered_and_the_game_goes_on(self):
        # Waiting for the user's move.
        s = self.open("new\nsd 2\n")
        self.refused(s, 1)
        self.answers_every_move(s, USER_WHITE, moves=1, clock="")
        # In force mode.
        s.send("force\n")
        self.refused(s, 2)
        self.user_move(s, USER_WHITE)
        s.send("go\n")
        self.engine_move(s)
        # During the engine's own search: it goes on and moves.
        s.send("new\nforce\npost\nlevel 0 60 0\ntime 360000\ngo\n")
        s.expect_re(r"(?m)^2 -?\d+ \d+ \d+ ", 30)
        s.send("nps 1000\nping 3\n")
        self.assertEqual(s.expect("pong 3\n")[-len("pong 3\n"):], "pong 3\n")
        self.assertIn("Error (unknown command): nps 1000\n", s.output)
        s.send("?\n")
        self.engine_move(s, 10)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_illegal_moves_are_refused_in_the_protocols_words(self):
        # A refused move in force mode changes nothing: the game goes on from the same
        # position, and the engine keeps answering.
        s = self.open("new\nforce\n")
        s.send("usermove zz9\nping 1\n")
        self.assertEqual(s.expect("pong 1\n"), "Illegal move: zz9\npong 1\n")
        s.send("usermove e2e4\nsd 1\ngo\n")
        self.engine_move(s)
        s.send("usermove e2e5\nping 2\n")  # a pawn that cannot go there: refused
        self.assertEqual(s.expect("pong 2\n"), "Illegal move: e2e5\npong 2\n")
        self.answers_every_move(s, USER_WHITE, moves=2, clock="")
        # While the engine ponders on the user's time.
        s.send("new\nhard\nst 1\nusermove e4\n")
        self.engine_move(s)
        time.sleep(0.3)
        s.send("usermove Ke3\nping 3\n")
        self.assertEqual(s.expect("pong 3\n"), "Illegal move: Ke3\npong 3\n")
        self.answers_every_move(s, USER_WHITE, moves=1, clock="")
        self.assertEqual(s.finish("quit\n"), 0)


class MateScores(GuiCase):
    def scores(self, fen, depth):
        s = self.open("new\nforce\npost\nsd %d\nsetboard %s\n" % (depth, fen))
        s.send("go\n")
        s.expect_re(r"(?m)^move \S+\n")
        self.assertEqual(s.finish("quit\n"), 0)
        return [int(m.group(2)) for m in THINKING.finditer(s.output)]

    def test_mates_in_moves_as_100000_plus_n(self):
        # Ra8 mates at once; Kc7 Ka7 Ra1 mates in two moves.
        self.assertEqual(self.scores("7k/8/6K1/8/8/8/8/R7 w - - 0 1", 3)[-1], 100001)
        self.assertEqual(self.scores("k7/8/2K5/8/8/8/8/1R6 w - - 0 1", 5)[-1], 100002)
        # Black's every move is met by Qxg7 mate: mated in one move.
        self.assertEqual(self.scores("7k/6pp/8/8/8/8/1Q6/K5R1 b - - 0 1", 3)[-1], -100001)


class HintAndBook(GuiCase):
    def test_hint_names_the_reply_the_engine_expects(self):
        s = self.open("new\neasy\npost\nsd 4\n")
        s.send("hint\nping 1\n")  # nothing searched yet: nothing to suggest
        self.assertEqual(s.expect("pong 1\n"), "pong 1\n")
        start = s.pos
        s.send("usermove e4\n")
        self.engine_move(s)
        lines = [m.group(3).split() for m in THINKING.finditer(s.output, start)]
        s.send("hint\nping 2\n")
        hint = s.expect("pong 2\n")
        m = re.match(r"Hint: (\S+)\npong 2\n$", hint)
        self.assertTrue(m, hint)
        self.assertEqual(m.group(1), lines[-1][1])  # the reply of the final variation
        self.assertEqual(self.user_move(s, (m.group(1),)), m.group(1))  # a legal move
        self.engine_move(s)
        # After a take-back the position is no longer the one the search expected.
        s.send("force\nundo\nhint\nping 3\n")
        self.assertEqual(s.expect("pong 3\n"), "pong 3\n")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_hint_and_bk_in_analysis_answer_without_restarting_it(self):
        s = self.open("new\npost\n")
        s.send("analyze\n")
        s.expect_re(r"(?m)^3 -?\d+ \d+ \d+ ", 30)
        s.send("hint\nbk\nping 1\n")
        answer = s.expect("pong 1\n")
        # Thinking lines may come between the answers: the analysis goes on.
        hint = re.search(r"(?m)^Hint: (\S+)\n", answer)
        self.assertTrue(hint, answer)
        self.assertIn("\tNo book moves for this position.\n\n", answer)
        firsts = {m.group(3).split()[0] for m in THINKING.finditer(s.output)}
        self.assertIn(hint.group(1), firsts)  # the first move of a best line
        time.sleep(0.5)
        s.send("ping 2\n")
        self.assertNotRegex(s.expect("pong 2\n"), r"(?m)^1 ")  # the analysis went on
        s.send("setboard 7k/8/6K1/8/8/8/8/R7 w - - 0 1\n")
        s.expect_re(r"(?m)^\d+ \d+ \d+ \d+ Ra8\+ ")
        s.send("hint\nping 3\n")
        self.assertIn("Hint: Ra8+\n", s.expect("pong 3\n"))
        s.send("exit\n")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_bk_lists_the_book_moves_with_their_shares(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "lines.txt"), "w") as f:
                f.write("e4 e5\ne4 e5\ne4 c5\nd4 d5\n")
            self.assertEqual(run(["makebook", "lines.txt", "Morvabook.bok"], cwd=folder)[0], 0)
            s = self.open("new\n", cwd=folder)
            s.send("bk\nping 1\n")
            self.assertEqual(s.expect("pong 1\n"), "\te4 75%\n\td4 25%\n\npong 1\n")
            s.send("force\nusermove e4\nbk\nping 2\n")
            self.assertEqual(s.expect("pong 2\n"), "\te5 67%\n\tc5 33%\n\npong 2\n")
            s.send("usermove e5\nbk\nping 3\n")
            self.assertEqual(s.expect("pong 3\n"),
                             "\tNo book moves for this position.\n\npong 3\n")
            self.assertEqual(s.finish("quit\n"), 0)

    def test_bk_while_the_engine_ponders_lists_the_users_position(self):
        # The user plays 1.Nf3 and 2.g3; the engine searches both replies (X, Y) and then
        # ponders with its predicted reply on the board. The book holds the user's position by
        # the other move order (1.g3 Y 2.Nf3 X), so the engine never plays from it.
        # Pondering starts with the second reply, so that both are searched alike each time.
        def replies(folder):
            s = self.open("new\neasy\npost\nsd 7\n", cwd=folder)
            s.send("usermove Nf3\n")
            x = self.engine_move(s)
            s.send("hard\nusermove g3\n")
            return s, x, self.engine_move(s)

        with tempfile.TemporaryDirectory() as folder:
            s, x, y = replies(folder)
            self.assertEqual(s.finish("quit\n"), 0)
            with open(os.path.join(folder, "lines.txt"), "w") as f:
                f.write("g3 %s Nf3 %s a3\n" % (y, x))
            if run(["makebook", "lines.txt", "Morvabook.bok"], cwd=folder)[0] != 0:
                self.skipTest("the replies %s, %s do not transpose" % (x, y))
            s, x2, y2 = replies(folder)
            self.assertEqual((x2, y2), (x, y))  # searched, not taken from the book
            s.send("hint\nbk\nping 1\n")
            self.assertRegex(s.expect("pong 1\n"), r"^Hint: \S+\n\ta3 100%\n\npong 1\n$")
            self.assertEqual(s.finish("quit\n"), 0)


if __name__ == "__main__":
    unittest.main()
