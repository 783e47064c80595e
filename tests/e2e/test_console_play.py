"""Console play: games against the engine, force mode, the FEN dialog, game ends, end of
input at every prompt and pondering. The engine's replies in the transcripts are
forced (a single legal move), so they do not depend on its search."""
import re
import tempfile
import time
import unittest

from engine import (START_ROWS, EngineTestCase, Session, board_diagram, listing, play, rows_of,
                    run)

NEW = board_diagram(START_ROWS) + listing()
QUESTION = "Would you like to play another game? (yes/no) "


class ConsoleCase(EngineTestCase):
    def start(self):
        """A session in a folder without a book, past the start-up listing."""
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        s = Session(cwd=self.folder.name)
        self.addCleanup(s.kill)
        s.expect("Type 'new' for a new game or 'quit' to exit\n:- ")
        return s

    def script(self, text, timeout=60):
        """Runs a whole script at once (no search interrupted by waiting lines) and returns
        the exit status and the output after the start-up listing."""
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin=text, cwd=empty, timeout=timeout)
        marker = "Type 'new' for a new game or 'quit' to exit\n:- "
        return status, out[out.index(marker) + len(marker):]


# A rook and king against a lone king: every reply of the engine (Black) is forced.
RACE = "7k/8/5K2/8/8/8/8/1R6 w - - 0 1"


class Games(ConsoleCase):
    def test_game_with_notations_moves_undo_remove_and_force(self):
        s = self.start()
        p0 = rows_of(RACE)
        p1 = play(p0, "b1b7")
        p2 = play(p1, "h8g8")
        p3 = play(p2, "b7b8")
        p4 = play(p3, "g8h7")
        p5 = play(p4, "f6f7")
        p6 = play(p5, "h7h6")
        p7 = play(p6, "b8h8")
        p8 = play(p7, "h6g5")
        s.send("new\nfen\n" + RACE + "\n")
        expected = NEW + "Enter FEN position.\n:- " + board_diagram(p0, "White")
        self.assertEqual(s.expect("White to move>  "), expected)
        # SAN without and with a check sign, the coordinate form, a check without its sign.
        for move, before, reply, after in (("Rb7", p1, "Kg8", p2), ("Rb8+", p3, "Kh7", p4),
                                           ("f6f7", p5, "Kh6", p6), ("Rh8", p7, "Kg5", p8)):
            s.send(move + "\n")
            self.assertEqual(s.expect("White to move>  "),
                             board_diagram(before, "Black") + "..." + reply + "\n" +
                             board_diagram(after, "White"), move)
        s.send("moves\n")
        self.assertEqual(s.expect("legal moves.\n"), "There are 20 legal moves.\n")
        listed = s.expect(" \n")
        self.assertEqual(sorted(listed.split()), sorted(
            "Ke6 Ke7 Ke8 Kf8 Kg7 Kg8 Rh7 Rh6 Rh5+ Rh4 Rh3 Rh2 Rh1 Rg8+ Rf8 Re8 Rd8 Rc8 Rb8 "
            "Ra8".split()))
        s.send("\nRa1\nremove\n")
        self.assertEqual(s.expect("White to move>  "),
                         "Invalid command\n" + board_diagram(p6, "White"))
        # The engine plays on after a take-back: "undo" took its own move back, so it is to
        # move and plays again; after "remove" it answers the user's next move.
        s.send("undo\n")
        self.assertEqual(s.expect("White to move>  "), board_diagram(p5, "Black") + "...Kh6\n"
                         + board_diagram(p6, "White"))
        s.send("Rh8\n")
        self.assertEqual(s.expect("White to move>  "), board_diagram(p7, "Black") + "...Kg5\n"
                         + board_diagram(p8, "White"))
        s.send("remove\nRh8\n")
        self.assertEqual(s.expect("White to move>  "), board_diagram(p6, "White"))
        self.assertEqual(s.expect("White to move>  "), board_diagram(p7, "Black") + "...Kg5\n"
                         + board_diagram(p8, "White"))
        # In force mode the moves typed are played, not answered, until "go".
        s.send("remove\nforce\nRh8\n")
        self.assertEqual(s.expect("White to move>  ") + s.expect("Black to move>  "),
                         board_diagram(p6, "White") + board_diagram(p7, "Black"))
        s.send("go\n")
        self.assertEqual(s.expect("White to move>  "),
                         "...Kg5\n" + board_diagram(p8, "White"))
        self.assertEqual(s.finish("quit\n"), 0)

    def test_mate_and_stalemate_then_no_or_yes(self):
        stalemate = "k7/8/1K6/2Q5/8/8/8/8 w - - 0 1"
        p0, s0 = rows_of(RACE), rows_of(stalemate)
        p1, p2 = play(p0, "f6f7"), play(p0, "f6f7", "h8h7")
        status, out = self.script("new\nfen\n" + RACE + "\nKf7\nRh1#\nmaybe\nno\nnew\n")
        expected = NEW + "Enter FEN position.\n:- " + board_diagram(p0, "White")
        expected += board_diagram(p1, "Black") + "...Kh7\n" + board_diagram(p2, "White")
        expected += board_diagram(play(p2, "b1h1"), "Black") + "1-0 {White mates}\n" + QUESTION
        self.assertEqual((status, out), (0, expected))
        status, out = self.script("new\nfen\n" + stalemate + "\nQc7\nyes\nquit\n")
        expected = NEW + "Enter FEN position.\n:- " + board_diagram(s0, "White")
        expected += board_diagram(play(s0, "c5c7"), "Black") + "1/2-1/2 {Stalemate}\n"
        expected += QUESTION + "New game\n" + board_diagram(START_ROWS) + NEW
        self.assertEqual((status, out), (0, expected))

    def test_repetition_in_force_mode_then_end_of_input_at_the_question(self):
        # The position after Nf3 occurs the third time with the ninth half-move.
        moves = ["Nf3", "Nf6", "Ng1", "Ng8"] * 2 + ["Nf3"]
        coords = {"Nf3": "g1f3", "Nf6": "g8f6", "Ng1": "f3g1", "Ng8": "f6g8"}
        status, out = self.script("new\nforce\n" + "\n".join(moves) + "\n")
        rows, expected = START_ROWS, NEW + board_diagram(START_ROWS, "White")
        expected += listing(extra="Force mode is ............. On\n")
        for i, move in enumerate(moves):
            rows = play(rows, coords[move])
            expected += board_diagram(rows, "Black" if i % 2 == 0 else "White")
        expected += "1/2-1/2 {Draw by 3-fold repetition}\n" + QUESTION
        self.assertEqual(status, 0)
        self.assertEqual(out, expected)

    def test_castling_and_promotion_notations_in_force_mode(self):
        # Each side castles with O, o or the digit 0, and promotes with and without "=".
        first = "r3k2r/1P6/8/8/8/8/6p1/R3K2R w KQkq - 0 1"
        second = "r3k2r/6P1/8/8/8/8/1p6/R3K2R w KQkq - 0 1"
        script, expected = "new\n", NEW
        for fen, moves in ((first, [("O-O-O", "e1c1"), ("o-o", "e8g8"), ("b8=Q", "b7b8q"),
                                    ("g1Q", "g2g1q"), ("Kd3", None)]),
                           (second, [("0-0", "e1g1"), ("0-0-0", "e8c8"), ("gxh8=N", "g7h8n"),
                                     ("ba1Q", "b2a1q")])):
            script += "fen\n%s\nforce\n" % fen
            rows = rows_of(fen)
            expected += "Enter FEN position.\n:- " + board_diagram(rows, "White")
            side = ["White", "Black"]
            for move, coords in moves:
                script += move + "\n"
                if coords is None:
                    expected += "Invalid command. Try again.\n"
                    continue
                rows = play(rows, coords)
                side.reverse()
                expected += board_diagram(rows, side[0])
        status, out = self.script(script + "quit\n")
        self.assertEqual(status, 0)
        self.assertEqual(out, expected)


class FenDialog(ConsoleCase):
    def test_refused_position_engine_to_move_and_quit_at_the_question(self):
        # White (the engine after "black") has one legal move: a3.
        fen = "k5r1/8/8/8/p7/7p/P6P/7K w - - 0 1"
        status, out = self.script("fen\nnot a position\nblack\nfen\n" + fen + "\nmaybe\ngo\n"
                                  "force\nfen\n" + fen + "\nquit\nnew\n")
        self.assertEqual(status, 0)
        expected = "Enter FEN position.\n:- Invalid command\n:- " + NEW
        expected += board_diagram(START_ROWS, "White") + listing(engine="White")
        expected += "Enter FEN position.\n:- " + board_diagram(rows_of(fen), "White")
        expected += "\nType'go' to start or 'quit' to exit\n:- "
        after = play(rows_of(fen), "a2a3")
        expected += "a3\n" + board_diagram(after, "Black")
        expected += "Enter FEN position.\n:- " + board_diagram(rows_of(fen), "White")
        # "quit" at the question leaves the program, as it says.
        expected += "\nType'go' to start or 'quit' to exit\n:- "
        self.assertEqual(out, expected)


class DeadEnds(ConsoleCase):
    def test_resign_prints_the_result_and_asks_for_another_game(self):
        # The user (White) resigns while the engine waits for a move, in any case of letters.
        status, out = self.script("new\nfen\n" + RACE + "\nRESIGN\nmaybe\nyes\nquit\n")
        self.assertEqual(status, 0)
        expected = NEW + "Enter FEN position.\n:- " + board_diagram(rows_of(RACE), "White")
        expected += "0-1 {White resigns}\n" + QUESTION + "New game\n" + board_diagram(START_ROWS)
        expected += NEW
        self.assertEqual(out, expected)
        # The engine plays White; in force mode the side to move resigns.
        for script, line in (("new\nblack\nfen\n" + RACE.replace(" w ", " b ") + "\nresign\n",
                              "1-0 {Black resigns}\n"),
                             ("new\nforce\ne4\nresign\n", "1-0 {Black resigns}\n")):
            with self.subTest(script=script):
                status, out = self.script(script)
                self.assertEqual(status, 0)
                self.assertTrue(out.endswith(line + QUESTION), out[-200:])

    def test_resign_during_the_engines_search(self):
        s = self.start()
        s.send("new\nblack\ngo\n")
        s.expect("White to move> ")
        s.send("resign\n")
        s.expect("1-0 {Black resigns}\n")
        s.expect(QUESTION, timeout=30)
        self.assertEqual(s.finish("no\n"), 0)

    def test_accepted_draw_prints_the_result_and_asks_for_another_game(self):
        # Rook against rook after move 30 (the FEN's move number): the engine, which does not
        # expect to win, takes the draw offered after its move.
        s = self.start()
        s.send("new\ndepth 3\nfen\n4k3/7r/8/8/8/8/R7/4K3 w - - 0 30\nKd1\n")
        s.expect("Black to move>  ")
        s.expect_re(r"\.\.\.\S+\n")
        s.expect("White to move>  ")
        s.send("Draw\n")
        self.assertEqual(s.expect(QUESTION, timeout=30),
                         "draw accepted\n1/2-1/2 {Draw by agreement}\n" + QUESTION)
        self.assertEqual(s.finish("no\n"), 0)

    def test_perft_dialog_left_with_quit_or_exit_in_any_case(self):
        ask = "Enter depth to search on current position or 'exit' to quit.\nDepth (1 - 30): - "
        for word in ("quit", "QUIT", "Exit"):
            with self.subTest(word=word):
                status, out = self.script("perft\n1\n" + word + "\nnew\nquit\n")
                self.assertEqual(status, 0)
                expected = board_diagram(START_ROWS) + ask
                expected += "Depth\t\tPerft(Depth)\t\tTotal Nodes\n1\t\t\t20\t\t\t20\n"
                expected += "\n" + ask + NEW
                self.assertEqual(out, expected)


    def test_perft_during_a_game_leaves_the_game_as_it_was(self):
        # After 1. Rb7 Kg8 the user counts the moves of the position, then plays on.
        status, rows = run(["perft", "2", "6k1/1R6/5K2/8/8/8/8/8 w - - 2 2"])
        self.assertEqual(status, 0)
        status, out = self.script("new\nfen\n" + RACE + "\nRb7\nPERFT\n2\nexit\nRb8+\nquit\n")
        self.assertEqual(status, 0)
        p2 = play(rows_of(RACE), "b1b7", "h8g8")
        ask = "Enter depth to search on current position or 'exit' to quit.\nDepth (1 - 30): - "
        after = board_diagram(p2, "White") * 2 + ask + rows + "\n" + ask
        after += board_diagram(play(p2, "b7b8"), "Black") + "...Kh7\n"
        after += board_diagram(play(p2, "b7b8", "g8h7"), "White")
        self.assertTrue(out.endswith(after), out[-1500:])


class EndOfInput(ConsoleCase):
    def test_every_prompt_ends_with_status_0(self):
        fen = "k5r1/8/8/8/p7/7p/P6P/7K w - - 0 1"
        scripts = {
            "command": "new\n",
            "fen dialog": "new\nfen\n",
            "perft dialog": "perft\n3\n",
            "go question": "new\nblack\nfen\n" + fen + "\n",
            "yes/no question": "new\nfen\nk7/8/1K6/2Q5/8/8/8/8 w - - 0 1\nQc7\n",
            "waiting for the user's move": "new\ngo\n",
        }
        for name, text in scripts.items():
            with self.subTest(name):
                status, _ = self.script(text, timeout=20)
                self.assertEqual(status, 0)

    def test_searches_end_with_a_move(self):
        # A search without limit moves at once at the end of input; one with a depth limit
        # runs to its depth. Both then end the process.
        for settings in ("", "depth 3\n"):
            with self.subTest(settings=settings):
                status, out = self.script("new\n" + settings + "black\ngo\n", timeout=30)
                self.assertEqual(status, 0)
                self.assertRegex(out, r"White to move> [a-hNBRQKO][^\n]*\n(.|\n)*Black to move>  $")

    def test_pondering_ends_with_status_0(self):
        s = self.start()
        s.send("new\nhard\nlevel 40 1 0\nblack\ngo\n")
        s.expect("Black to move>  ", timeout=60)
        time.sleep(0.5)  # the engine ponders on the expected reply
        started = time.monotonic()
        self.assertEqual(s.finish(), 0)
        self.assertLess(time.monotonic() - started, 20)


# Diagram of a position: the board rows, without the prompt that follows.
def boards(text):
    return re.findall(r"\n    \+(?:.|\n)*?a    b    c    d    e    f    g    h\n\n", text)


class Pondering(ConsoleCase):
    def ponder_game(self, hit):
        """The engine (Black) answers 1. e4, ponders on its expected reply; the user plays it
        (hit) or another move (miss). Returns the moves played and the final diagram."""
        s = self.start()
        s.send("new\nhard\npost\ntime 1\ngo\n")
        s.expect("White to move> ")
        s.send("e4\n")
        s.expect("Black to move>  \n")
        reply = s.expect("White to move>  \n", timeout=60)
        pv = [line.split()[4:] for line in reply.splitlines()
              if re.match(r"^\d+ -?\d+ \d+ \d+ ", line)][-1]
        engine_move = reply.split("\n...")[1].split("\n")[0]
        self.assertEqual(pv[0], engine_move)
        expected = pv[1]
        user_move = expected if hit else next(m for m in ("a3", "h3") if m != expected)
        s.send(user_move + "\n")
        out = s.expect("White to move>  \n", timeout=60)
        second = out.split("\n...")[-1].split("\n")[0]
        s.send("quit\n")
        return ["e4", engine_move, user_move, second], boards(out)[-1]

    def check_game(self, hit):
        moves, final = self.ponder_game(hit)
        # The game record must be the one the moves make: replayed in force mode, they give
        # the same position.
        status, out = self.script("new\nforce\n" + "\n".join(moves) + "\nquit\n")
        self.assertEqual(status, 0)
        self.assertNotIn("Invalid", out)
        self.assertEqual(boards(out)[-1], final)

    def test_ponder_hit(self):
        self.check_game(True)

    def test_ponder_miss(self):
        self.check_game(False)


if __name__ == "__main__":
    unittest.main()
