"""Perft through the command-line entry and the console dialog; FEN refusals."""
import tempfile
import unittest

from engine import RELEASE, START_ROWS, EngineTestCase, board_diagram, run

HEADER = "Depth\t\tPerft(Depth)\t\tTotal Nodes\n"


def rows(counts):
    text, total = HEADER, 0
    for depth, count in enumerate(counts, 1):
        text += "%d\t\t\t%d\t\t\t%d\n" % (depth, count, count)
    return text


# Positions with their well-known move-path counts (positions exactly d plies deep).
SUITE = [
    ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     [20, 400, 8902, 197281, 4865609]),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
     [48, 2039, 97862, 4085603]),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", [14, 191, 2812, 43238, 674624]),
    ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
     [6, 264, 9467, 422333]),
    ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", [44, 1486, 62379, 2103487]),
    ("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
     [46, 2079, 89890, 3894594]),
]


def perft_counts(fen, depth):
    status, out = run(["perft", str(depth), fen], timeout=600)
    assert status == 0, out
    lines = out.splitlines()
    assert lines[0] + "\n" == HEADER, out
    return [int(line.split("\t\t\t")[1]) for line in lines[1:]]


class PerftCommandLine(EngineTestCase):
    def test_start_position_rows_exact(self):
        status, out = run(["perft", "3"])
        self.assertEqual(status, 0)
        self.assertEqual(out, HEADER + "1\t\t\t20\t\t\t20\n2\t\t\t400\t\t\t420\n"
                         "3\t\t\t8902\t\t\t9322\n")

    def test_reference_positions(self):
        # The release build counts the full depths; a debug build stops below ~200k nodes.
        for fen, counts in SUITE:
            if not RELEASE:
                counts = [c for c in counts if c < 200000]
            with self.subTest(fen=fen):
                self.assertEqual(perft_counts(fen, len(counts)), counts)

    def test_refused_fen_exits_with_status_1(self):
        cases = [
            ("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", "Invalid position\n"),
            ("4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Insufficient material.\n"),
            ("4k3/8/8/8/8/8/8/RR2K1R1 w - - 0 1", "Error. Too many white rooks.\n"),
            ("7k/5QQ1/8/8/8/8/8/4K3 b - - 0 1", "Error. Not a valid position.\n"),
        ]
        for fen, message in cases:
            with self.subTest(fen=fen):
                status, out = run(["perft", "1", fen])
                self.assertEqual(status, 1)
                self.assertEqual(out, message)


class PerftDialog(EngineTestCase):
    def test_dialog_rows_and_invalid_depths(self):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin="perft\n31\n40\n0\n\n3\nexit\nquit\n", cwd=empty)
        self.assertEqual(status, 0)
        ask = "Enter depth to search on current position or 'exit' to quit.\nDepth (1 - 30): - "
        expected = board_diagram(START_ROWS) + ask
        expected += "Invalid depth!\nDepth (1 - 30): - " * 3
        expected += HEADER + "1\t\t\t20\t\t\t20\n2\t\t\t400\t\t\t420\n3\t\t\t8902\t\t\t9322\n"
        expected += "\n" + ask
        self.assertTrue(out.endswith(expected), out[-600:])

    def test_dialog_takes_only_a_whole_number_in_range(self):
        # "100" and "12abc" once ran depth 10 and 12 from their first two digits.
        bad = ["100", "12abc", "3x", "1 2", "-3", "+3", "030x", "99999999999999999999", "31"]
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin="perft\n" + "\n".join(bad) + "\n 2 \nexit\nquit\n",
                              cwd=empty, timeout=60)
        self.assertEqual(status, 0)
        self.assertEqual(out.count("Invalid depth!\n"), len(bad), out[-900:])
        self.assertIn(HEADER + "1\t\t\t20\t\t\t20\n2\t\t\t400\t\t\t420\n\n", out)
        self.assertNotIn("3\t\t\t", out)

    def test_end_of_input_inside_the_dialog_ends_cleanly(self):
        for stdin in ["perft\n", "perft\n2\n", "perft\n12abc"]:
            with self.subTest(stdin=stdin), tempfile.TemporaryDirectory() as empty:
                status, out = run(stdin=stdin, cwd=empty, timeout=30)
                self.assertEqual(status, 0)
                self.assertTrue(out.endswith("Depth (1 - 30): - "), out[-200:])


if __name__ == "__main__":
    unittest.main()
