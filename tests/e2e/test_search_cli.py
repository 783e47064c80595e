"""The evaluation and search command-line entries and the bench signature."""
import re
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
