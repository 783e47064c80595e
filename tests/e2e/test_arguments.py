"""Numbers in the GUIs' commands read as written: xboard clocks that would overflow, signed and
fractional arguments, refused arguments that keep the old setting, a refused move in force
mode, and UCI "go" lines with missing, bad or zero numbers that must still end."""
import time
import unittest

from engine import EngineTestCase, Session

# A quiet opening position, searched (the initial position's first move is not).
MIDDLEGAME = "r1bqkb1r/pppp1ppp/2n2n2/4p3/4P3/2N2N2/PPPP1PPP/R1BQKB1R w KQkq - 4 4"


class XboardArguments(EngineTestCase):
    def open(self):
        s = Session(cwd=self.scratch_folder())
        self.addCleanup(s.kill)
        s.send("xboard\nprotover 2\nnew\nforce\nping 0\n")
        s.expect("pong 0\n")
        self.n = 0
        return s

    def answer(self, s, text):
        """Sends text and a ping; returns everything the engine printed before the pong."""
        self.n += 1
        s.send(text + "ping %d\n" % self.n)
        return s.expect("pong %d\n" % self.n)[:-len("pong %d\n" % self.n)]

    def timed_move(self, s, settings):
        """Seconds the engine takes for its move in MIDDLEGAME under the settings."""
        self.answer(s, "force\nsetboard %s\n%s" % (MIDDLEGAME, settings))
        started = time.monotonic()
        s.send("go\n")
        s.expect_re(r"move \S+\n", 60)
        return time.monotonic() - started

    def test_ping_is_answered_with_its_number_as_written(self):
        s = self.open()
        for number in ("-5", "99999999999999", "0", "+7", "123456789012345678901234567890"):
            self.assertEqual(self.answer(s, "ping %s\n" % number), "pong %s\n" % number)
        for text in ("ping abc", "ping 5x", "ping", "ping 1.5"):
            self.assertEqual(self.answer(s, text + "\n"), "Error (bad argument): %s\n" % text)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_clocks_beyond_any_game_neither_overflow_nor_turn_negative(self):
        s = self.open()
        # Under the sanitizers an overflow would end the engine before its pong.
        for text in ("otim 999999999\n", "time 999999999\n", "otim 99999999999999999999\n",
                     "time -100\n", "otim -100\n", "level 0 1 0\ntime 999999999\n"):
            self.assertEqual(self.answer(s, text), "", text)
        # A clock reported below zero is an empty clock, not a second: the move comes at once.
        self.assertLess(self.timed_move(s, "level 0 1 0\ntime -100\notim 6000\n"), 3.0)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_fractional_seconds_per_move(self):
        s = self.open()
        # Half a second, not five: the fraction is read, not its digits.
        self.assertLess(self.timed_move(s, "st 0.5\n"), 3.0)
        took = self.timed_move(s, "st 1.5\n")
        self.assertGreater(took, 1.2)
        self.assertLess(took, 7.0)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_refused_arguments_keep_the_old_setting(self):
        s = self.open()
        self.answer(s, "st 0.5\n")
        for text in ("st x", "st 0", "st -1", "st", "level 1 2", "level 40 5", "level 4O 5 0",
                     "level 40 5 0 9", "sd abc", "sd 0", "time abc", "otim 1e5", "time"):
            self.assertEqual(self.answer(s, text + "\n"), "Error (bad argument): %s\n" % text)
        # Still half a second a move: neither "st" nor "level" wiped the control.
        self.assertLess(self.timed_move(s, ""), 3.0)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_a_refused_move_in_force_mode_changes_nothing(self):
        s = self.open()
        # The refusal in either of the protocol's forms ("Illegal move: X" is the newer).
        self.assertRegex(self.answer(s, "usermove zz9\n"), r"^(Invalid|Illegal) move:? zz9\n$")
        self.assertEqual(self.answer(s, "usermove e2e4\nsd 1\n"), "")
        s.send("go\n")
        s.expect_re(r"move \S+\n")
        # The game goes on: the engine answers the next move.
        s.send("usermove d2d4\n")
        s.expect_re(r"move \S+\n")
        self.assertEqual(s.finish("quit\n"), 0)


class UciGoArguments(EngineTestCase):
    def open(self):
        s = Session(cwd=self.scratch_folder())
        self.addCleanup(s.kill)
        s.send("uci\nposition fen %s\nisready\n" % MIDDLEGAME)
        s.expect("readyok\n")
        return s

    def go(self, s, line):
        """Sends the go line; returns the seconds until its bestmove and the output."""
        started = time.monotonic()
        start = s.pos
        s.send(line + "\n")
        s.expect_re(r"bestmove \S+(?: ponder \S+)?\n", 30)
        return time.monotonic() - started, s.output[start:s.pos]

    def test_every_go_ends_with_a_bestmove(self):
        s = self.open()
        # Zero counts as one: one ply, one node, a mate in one.
        for line in ("go depth 0", "go mate 0", "go depth -3"):
            took, out = self.go(s, line)
            self.assertIn("info depth 1 ", out, line)
            self.assertNotIn("info depth 2 ", out, line)
        took, out = self.go(s, "go nodes 0")
        self.assertLess(took, 5, out)
        # A missing or bad number counts as absent; a go without any limit still ends.
        for line in ("go depth", "go wtime abc btime", "go nodes x", "go"):
            took, out = self.go(s, line)
            self.assertLess(took, 15, line)
        self.assertEqual(s.finish("quit\n"), 0)

    def test_a_field_without_a_number_leaves_the_next_field_alone(self):
        s = self.open()
        # "wtime 100" is read after the bare "binc": a tenth of a second on the clock.
        for line in ("go binc wtime 100", "go winc btime 5000 wtime 100 movestogo"):
            took, out = self.go(s, line)
            self.assertLess(took, 3.0, line)
        took, out = self.go(s, "go movetime depth 2")
        self.assertNotIn("info depth 3 ", out)
        self.assertEqual(s.finish("quit\n"), 0)


if __name__ == "__main__":
    unittest.main()
