"""The xboard protocol as a GUI drives it: start-up, clocks, pondering, commands during a
search, and a whole game against a scripted opponent under an increment of 0.1 s."""
import re
import tempfile
import time
import unittest

from engine import RELEASE, EngineTestCase, Session, resident_mb, run_from_file

FEATURES = ('feature sigint=0 sigterm=0 colors=0 setboard=1 usermove=1 playother=1 memory=1'
            ' myname="Morvaquint 3.3" variants="normal" name=0 ping=1 san=1 done=1\n')


class XboardCase(EngineTestCase):
    def open(self, setup="new\n"):
        """An engine in xboard mode in a folder without a book, with `setup` sent."""
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        s = Session(cwd=folder.name)
        self.addCleanup(s.kill)
        s.send("xboard\nprotover 2\n" + setup + "ping 999\n")
        s.expect("pong 999\n")
        return s

    def quiet(self, s, text, n):
        """Sends text and a ping; asserts that nothing but the pong comes back."""
        s.send(text + "ping %d\n" % n)
        self.assertEqual(s.expect("pong %d\n" % n), "pong %d\n" % n, text)

    def engine_move(self, s, timeout=60):
        s.expect("move ", timeout)
        return s.expect("\n", timeout).strip()

    def assert_legal(self, moves):
        """The moves (SAN) replayed from the initial position are all accepted."""
        s = self.open("new\nforce\n")
        for n, m in enumerate(moves):
            self.quiet(s, "usermove %s\n" % m, n)
        self.assertEqual(s.finish("quit\n"), 0)


class StartUp(XboardCase):
    def test_feature_line_and_a_late_xboard(self):
        # "xboard" already waiting at start-up (a file is read at once): no console greeting.
        status, out = run_from_file("xboard\nprotover 2\nquit\n")
        self.assertEqual(status, 0)
        self.assertEqual(out, "\nOpening book is missing.\n" + FEATURES)
        # A GUI whose "xboard" comes after the console greeting still gets xboard mode.
        late = self.console()
        late.send("xboard\nprotover 2\n")
        self.assertEqual(late.expect("done=1\n"), "\n" + FEATURES)
        self.assertEqual(late.finish("quit\n"), 0)

    def test_tables_are_touched_while_the_game_is_set_up(self):
        # Start-up stays small; the GUI's set-up ("protover", "new") makes the system back the
        # tables' memory then, not in the first search under a clock.
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        s = Session(cwd=folder.name)
        self.addCleanup(s.kill)
        s.send("xboard\nping 1\n")
        s.expect("pong 1\n")
        if RELEASE:  # the sanitizers' own memory comes on top in the test build
            self.assertLess(resident_mb(s), 20)
        s.send("protover 2\nnew\nping 2\n")
        s.expect("pong 2\n")
        self.assertGreater(resident_mb(s), 60)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_memory_sizes_the_main_table(self):
        # All tables together get what "memory" grants, beyond the fixed null-move and pawn
        # tables (52 MB): 124 MB by default, so 16 MB leaves the main pair at its least, 1.1 MB.
        # The tables are touched as the game is set up, at the size then granted.
        default = self.open("new\n")
        full = resident_mb(default)
        self.assertEqual(default.finish("quit\n"), 0)
        s = self.open("memory abc\nmemory 16\ncores 2\nnew\n")
        self.assertTrue(s.output.endswith(
            FEATURES + "Error (bad argument): memory abc\npong 999\n"), s.output)
        small = resident_mb(s)
        self.assertGreater(full - small, 60, (full, small))
        # The smaller tables serve a game: the engine answers as Black, then thinks as White.
        s.send("level 0 0:30 0\nusermove e4\n")
        self.engine_move(s)
        s.send("force\nnew\nst 1\nwhite\ngo\n")
        # Granted while the engine thinks, the memory waits for the search to end, then the
        # next game is set up with the default tables again.
        s.send("memory 124\n")
        self.engine_move(s)
        s.send("force\nnew\nping 5\n")
        s.expect("pong 5\n")
        self.assertGreater(resident_mb(s) - small, 60)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_setboard_refusals_long_lines_and_bad_moves(self):
        s = self.open()
        refused = "tellusererror Invalid position\n"
        single = "setboard k5r1/8/8/8/p7/7p/P6P/7K w - - 0 1\n"  # White's one move: a3
        for n, (text, answer) in enumerate((
                ("setboard \n", refused), ("setboard this is no position\n", refused),
                ("setboard 4k3/8/8/8/8/8/PPPPPPPP/RR2K1R1 w - - 0 1\n",
                 "Error. Too many white rooks.\n" + refused),
                # Cut to the line buffer, not overflowed, and answered as no command.
                ("x" * 3000 + "\n", "Error (unknown command): %s\n" % ("x" * 255)),
                (single + "usermove zz9\n", "Illegal move: zz9\n"))):
            s.send(text + "ping %d\n" % n)
            self.assertEqual(s.expect("pong %d\n" % n), answer + "pong %d\n" % n)
        s.send(single + "go\n")
        self.assertEqual(self.engine_move(s), "a3")
        # Refusals while the engine waits for Black's move end nothing: a legal move after
        # them is answered.
        s.send("usermove e4e5\nfoo\nping 6\n")
        self.assertEqual(s.expect("pong 6\n"),
                         "Illegal move: e4e5\nError (unknown command): foo\npong 6\n")
        s.send("usermove Rf8\n")  # frees g1: the game goes on
        self.engine_move(s)
        self.assertEqual(s.finish("quit\n"), 0)


class Clocks(XboardCase):
    def test_levels_give_budgets_inside_the_clock(self):
        # With 3 seconds on its clock the engine answers within them under every control.
        for level in ("40 5 0", "0 2 12", "0 0 5", "0 0:15 0.1", "40 0:30 0"):
            with self.subTest(level=level):
                s = self.open("new\nlevel %s\ntime 300\notim 300\n" % level)
                started = time.monotonic()
                s.send("go\n")
                self.engine_move(s, timeout=30)
                self.assertLess(time.monotonic() - started, 3.0)
                self.assertEqual(s.finish("quit\n"), 0)

    def test_thinking_time_is_in_centiseconds(self):
        # A one-second search reports its time as xboard counts it: hundredths of a second
        # (whole seconds would read 0 or 1, and the GUI's node rate would be wrong).
        s = self.open("new\nst 1\npost\n")
        started, before = time.monotonic(), s.pos
        s.send("go\n")
        self.engine_move(s, timeout=30)
        spent = (time.monotonic() - started) * 100
        times = [int(m.group(1)) for m in
                 re.finditer(r"^\d+ -?\d+ (\d+) \d+ ", s.output[before:], re.M)]
        self.assertTrue(times)
        self.assertGreaterEqual(max(times), 10)
        self.assertLessEqual(max(times), spent + 5)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_game_under_five_seconds_and_a_tenth(self):
        # The opponent is a second engine at depth 1; our engine's clock is kept here as a
        # GUI keeps it, and no move may take longer than the clock holds.
        engine = self.open("new\nlevel 0 0:05 0.1\npost\n")
        opponent = self.open("new\nsd 1\n")
        clock, moves = 5000, []
        end = r"(?:1-0|0-1|1/2-1/2) \{[^\n]*\n"
        opponent.send("go\n")
        for n in range(60):
            before = opponent.pos
            m = opponent.expect_re(r"move (\S+)\n|" + end)
            self.assertNotIn("Invalid", opponent.output[before:])
            if not m.group(1):
                break  # our engine's move ended the game
            moves.append(m.group(1))
            engine.send("time %d\notim 500\nusermove %s\n" % (clock // 10, m.group(1)))
            if n == 0:
                engine.send("go\n")
            started, before = time.monotonic(), engine.pos
            m = engine.expect_re(r"move (\S+)\n|" + end, 30)
            spent = int((time.monotonic() - started) * 1000)
            self.assertNotIn("Invalid", engine.output[before:])
            if not m.group(1):
                break  # the opponent's move ended the game
            self.assertLess(spent, clock, "move %d" % len(moves))
            clock += 100 - spent
            moves.append(m.group(1))
            opponent.send("usermove %s\n" % m.group(1))
        self.assertGreater(len(moves), 10)
        self.assertEqual(engine.finish("quit\n"), 0)


class DuringTheSearch(XboardCase):
    def test_ping_is_answered_while_searching_and_question_mark_moves_now(self):
        s = self.open("new\npost\nlevel 0 60 0\ntime 360000\n")
        s.send("go\n")
        self.assertTrue(s.expect("\n", timeout=30).startswith("1 "))  # the search runs
        sent = time.monotonic()
        s.send("ping 17\n")
        before = s.expect("pong 17\n", timeout=10)
        self.assertLess(time.monotonic() - sent, 5)
        self.assertNotIn("move", before)
        s.send("?\n")
        self.engine_move(s, timeout=10)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_two_lines_in_one_write_run_in_order(self):
        s = self.open("new\nforce\nsd 2\n")
        s.send("usermove e2e4\ngo\n")
        reply = self.engine_move(s)
        self.assert_legal(["e4", reply])

    def test_force_undo_remove_and_new_mid_game(self):
        s = self.open("new\nforce\nsd 2\n")
        self.quiet(s, "usermove e2e4\nusermove e7e5\nremove\nusermove d2d4\nundo\n"
                      "usermove c4\n", 1)
        s.send("go\n")
        first = self.engine_move(s)
        # "remove" takes the pair back and the engine plays on with the same colour.
        s.send("remove\nusermove d4\n")
        second = self.engine_move(s)
        self.assert_legal(["d4", second])
        self.quiet(s, "force\nusermove Nf3\n", 2)
        # "new" in the middle of a search: the search stops without a move.
        s.send("level 0 60 0\ntime 360000\npost\ngo\n")
        self.assertTrue(s.expect("\n", timeout=30).startswith("1 "))
        s.send("new\nping 3\n")
        self.assertNotIn("move", s.expect("pong 3\n"))
        # The new game has the engine playing Black: White's first move gets its reply.
        s.send("sd 2\nusermove e2e4\n")
        self.assert_legal(["e4", self.engine_move(s)])
        self.assertTrue(first)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_quit_during_a_search_and_while_pondering(self):
        s = self.open("new\npost\nlevel 0 60 0\ntime 360000\n")
        s.send("go\n")
        self.assertTrue(s.expect("\n", timeout=30).startswith("1 "))
        started = time.monotonic()
        self.assertEqual(s.finish("quit\n", timeout=10), 0)
        self.assertLess(time.monotonic() - started, 5)
        s = self.open("new\nhard\nst 1\nusermove e2e4\ngo\n")
        self.engine_move(s)
        time.sleep(0.3)
        started = time.monotonic()
        self.assertEqual(s.finish("quit\n", timeout=10), 0)
        self.assertLess(time.monotonic() - started, 5)


class Pondering(XboardCase):
    def ponder(self, hit):
        s = self.open("new\nhard\npost\nst 1\n")
        s.send("usermove e2e4\ngo\n")
        out = s.expect("move ", 60)
        reply = s.expect("\n").strip()
        pv = [l.split()[4:] for l in out.splitlines() if re.match(r"^\d+ -?\d+ \d+ \d+ ", l)]
        predicted = pv[-1][1]
        s.send("hint\nping 77\n")
        hint = s.expect("pong 77\n")
        user = predicted if hit else next(m for m in ("a3", "h3") if m != predicted)
        s.send("usermove %s\n" % user)
        answer = self.engine_move(s)
        self.assertEqual(s.finish("quit\n"), 0)
        self.assert_legal(["e4", reply, user, answer])
        return hint, predicted

    def test_ponder_hit(self):
        hint, predicted = self.ponder(True)
        # While the engine ponders, the hint is the reply it ponders on.
        self.assertIn(hint, ("Hint: %s\npong 77\n" % predicted, "pong 77\n"))

    def test_ponder_miss(self):
        self.ponder(False)


class Analysis(XboardCase):
    def test_analysis_follows_the_position_and_never_moves(self):
        # White to move; after b8=Q+ Black's only reply is Rxb8.
        s = self.open("new\npost\nsetboard 6k1/1P4pp/3P4/8/8/1r6/8/5RK1 w - - 0 1\n")
        s.send("analyze\n")
        s.expect_re(r"(?m)^3 -?\d+ \d+ \d+ ")
        s.send(".\n")
        s.expect_re(r"stat01: \d+ \d+ \d+ \d+ 21")  # White has 21 moves
        s.send("usermove b8=Q\n")
        s.expect_re(r"(?m)^1 -?\d+ \d+ \d+ Rxb8 $")
        s.send(".\nping 1\n")
        self.assertRegex(s.expect("pong 1\n"), r"stat01: \d+ \d+ \d+ 0 1\n")
        # "undo", an illegal move, "new" and "setboard" each restart the thinking.
        s.send("undo\n")
        s.expect_re(r"(?m)^2 -?\d+ \d+ \d+ ")
        s.send("usermove zz9\nping 2\n")
        self.assertIn("Illegal move: zz9\n", s.expect("pong 2\n"))
        s.send("new\n.\n")
        s.expect_re(r"stat01: \d+ \d+ \d+ \d+ 20")
        s.send("setboard 7k/8/6K1/8/8/8/8/R7 w - - 0 1\n")
        s.expect_re(r"(?m)^\d+ \d+ \d+ \d+ Ra8\+ ")  # the mate in one
        s.send("exit\nping 3\n")
        s.expect("pong 3\n")
        time.sleep(0.3)
        self.quiet(s, "", 4)  # no thinking after "exit"
        self.assertNotRegex(s.output, r"(?m)^move ")
        self.assertEqual(s.finish("quit\n"), 0)

    def test_analyze_while_the_engine_thinks(self):
        s = self.open("new\npost\nst 30\n")
        s.send("go\n")
        s.expect_re(r"(?m)^2 -?\d+ \d+ \d+ ")
        s.send("analyze\n.\n")
        s.expect("stat01: ")
        s.send("exit\nping 1\n")
        self.assertNotRegex(s.expect("pong 1\n"), r"(?m)^move ")
        self.assertEqual(s.finish("quit\n"), 0)


if __name__ == "__main__":
    unittest.main()
