"""The self-play statistics tool: counts, depths, faults and the sequential verdict, from PGN
files and from the counts of an earlier run carried over with --prior."""
import os
import subprocess
import sys
import tempfile
import unittest

SPRT = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "sprt.py")


def game(white, black, result, moves):
    return ('[Event "t"]\n[White "%s"]\n[Black "%s"]\n[Result "%s"]\n\n%s %s\n\n'
            % (white, black, result, moves, result))


# new wins with White (depths 8 and 10), loses on time with Black, and one game is a draw;
# the unfinished last game counts for nothing.
GAMES = (game("new", "old", "1-0", "1. e4 {+0.20/8 0.1} e5 {-0.10/6 0.1} 2. Qh5 {+0.30/10 0.1}")
         + game("old", "new", "1-0", "1. d4 {+0.10/7 0.1} d5 {-0.20/9 0.1} {new loses on time}")
         + game("new", "old", "1/2-1/2", "1. c4 c5")
         + game("old", "new", "*", "1. Nf3"))


def sprt(*args):
    r = subprocess.run([sys.executable, SPRT, "--first", "new"] + list(args),
                       capture_output=True, text=True, timeout=60)
    return r.returncode, r.stdout + r.stderr


class SprtTool(unittest.TestCase):
    def setUp(self):
        fd, self.pgn = tempfile.mkstemp(suffix=".pgn")
        with os.fdopen(fd, "w") as f:
            f.write(GAMES)
        self.addCleanup(os.remove, self.pgn)

    def test_counts_faults_and_depths_of_the_files(self):
        status, out = sprt(self.pgn)
        self.assertEqual(status, 0, out)
        self.assertIn("games 3: +1 =1 -1 for new", out)
        self.assertIn("faults by new: false claim 0, time 1,", out)
        self.assertIn("mean depth: new 9.00, other 6.50", out)

    def test_prior_counts_join_the_files_games(self):
        status, out = sprt("--prior", "10", "4", "2", self.pgn)
        self.assertEqual(status, 0, out)
        self.assertIn("games 19: +11 =5 -3 for new", out)

    def test_verdicts_from_prior_counts_alone(self):
        status, out = sprt("--prior", "600", "300", "300")
        self.assertEqual(status, 10, out)
        self.assertIn("H1 accepted", out)
        self.assertIn("no depth comments", out)
        status, out = sprt("--prior", "300", "300", "600")
        self.assertEqual(status, 11, out)
        status, out = sprt("--prior", "5", "5", "5", "--clock", "5+0.05")
        self.assertEqual(status, 0, out)
        self.assertIn("undecided", out)

    def test_refuses_no_games_and_negative_counts(self):
        self.assertEqual(sprt()[0], 2)
        self.assertEqual(sprt("--prior", "1", "-1", "1")[0], 2)


if __name__ == "__main__":
    unittest.main()
