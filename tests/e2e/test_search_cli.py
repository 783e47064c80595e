"""The evaluation and search command-line entries and the bench signature."""
import re
import tempfile
import unittest

from engine import EngineTestCase, run


def facts(out):
    return dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)


class EvalEntry(EngineTestCase):
    def test_start_position_facts(self):
        status, out = run(["eval"])
        self.assertEqual(status, 0)
        f = facts(out)
        self.assertEqual(f["hanging"], "0")
        self.assertEqual(f["threatened"], "0")
        self.assertEqual(f["stalemate"], "0")
        self.assertEqual(f["phase"], "0")
        # The start position is symmetric: the side to move's score is its move's worth only.
        self.assertEqual(len(f["kingsafety"].split()), 2)
        int(f["score"])

    def test_endgame_phase_and_refusal(self):
        status, out = run(["eval", "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1"])
        self.assertEqual(status, 0)
        self.assertEqual(facts(out)["phase"], "2")
        self.assertEqual(facts(out)["kingsafety"], "0 0")
        status, out = run(["eval", "not a fen"])
        self.assertEqual(status, 1)
        self.assertEqual(out, "Invalid position\n")


class SearchEntry(EngineTestCase):
    def test_mate_in_one_is_announced_and_played(self):
        status, out = run(["search", "4", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1"])
        self.assertEqual(status, 0)
        lines = out.splitlines()
        self.assertEqual(lines[-1], "move Rd8+")
        self.assertIn("Mate in 1", lines)

    def test_no_mate_announced_where_the_king_can_take(self):
        # 6.Bf7+?? Kxf7 only loses the bishop; the search once scored it as mate.
        fen = "r1bqkb1r/pp1pp1pp/2n2n2/2p5/2B1p3/3P1N2/PPP2PPP/RNBQ1RK1 w kq - 0 6"
        status, out = run(["search", "3", fen])
        self.assertEqual(status, 0)
        lines = out.splitlines()
        self.assertNotIn("move Bf7+", lines)
        self.assertFalse([l for l in lines if l.startswith("Mate in")], out)

    def test_thinking_lines_then_move(self):
        status, out = run(["search", "3"])
        self.assertEqual(status, 0)
        lines = out.splitlines()
        self.assertRegex(lines[-1], r"^move [A-Za-z0-9+=-]+$")
        thinking = [l for l in lines if re.match(r"^\d+ -?\d+ \d+ \d+ ", l)]
        self.assertGreaterEqual(len(thinking), 1)
        depths = [int(l.split()[0]) for l in thinking]
        self.assertEqual(depths, sorted(depths))

    def test_bench_node_count_repeats(self):
        counts = []
        for _ in range(2):
            status, out = run(["bench", "3"], timeout=600)
            self.assertEqual(status, 0)
            match = re.search(r"^bench: (\d+) nodes, \d+ ms, \d+ nps$", out, re.M)
            self.assertIsNotNone(match, out[-300:])
            counts.append(int(match.group(1)))
        self.assertEqual(counts[0], counts[1])
        self.assertGreater(counts[0], 0)


if __name__ == "__main__":
    unittest.main()


class EpdEntry(EngineTestCase):
    def test_suite_counts_best_moves_moves_to_avoid_and_skips(self):
        # A best move found (check marks in the suite's notation are accepted), a move to
        # avoid that is avoided, a best move missed, and lines that are no test are skipped.
        suite = ('6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8#; id "back rank";\n'
                 'rnbqkbnr/pppp1ppp/8/4p3/4P3/5Q2/PPPP1PPP/RNB1KBNR b KQkq - am Qh4; id "q";\n'
                 '6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Kf1; id "missed";\n'
                 '# a comment\n'
                 '6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Qd8; id "no such move";\n'
                 'not a position at all\n')
        with tempfile.NamedTemporaryFile("w", suffix=".epd") as f:
            f.write(suite)
            f.flush()
            status, out = run(["epd", f.name, "100"])
        self.assertEqual(status, 0)
        self.assertIn('1 "back rank" solved: Rd8+ (bm Rd8#)\n', out)
        self.assertRegex(out, r'2 "q" solved: \S+ \(am Qh4\)\n')
        self.assertRegex(out, r'3 "missed" missed: Rd8\+ \(bm Kf1\)\n')
        self.assertIn("4 skipped:", out)
        self.assertIn("5 skipped:", out)
        self.assertTrue(out.endswith("solved 2/3\n"))
        self.assertEqual(run(["epd", "/no/such/file.epd", "100"])[1],
                         "epd: cannot read /no/such/file.epd\n")
        self.assertEqual(run(["epd"])[0], 2)
