"""Console start-up, settings listing, and the commands that work before a game starts."""
import tempfile
import unittest

from engine import START_ROWS, EngineTestCase, board_diagram, listing, run


PACE_HINT = ('Without a level the engine thinks without limit: "time 5" gives it 5 seconds a '
             'move,\nand "?" makes it move at once.\n')
STARTUP_TAIL = ("Morvaquint  version 3.3\n" 'Type "help" for a list of commands.\n' + PACE_HINT
                + "\n" + board_diagram(START_ROWS) + listing(ready=False))
WRITTEN_HELP = [
    "new    - new game", "quit   - quit game", "undo   - undo last move",
    "FEN    - enter FEN position", "moves  - legal moves", "white  - you will play white",
    "black  - you will play black",
    "level  - conventional (e.g. level 40 5 0) or incremental (e.g. level 0 2 12) time controls",
    "time   - seconds per move (e.g. time 30)", "depth  - limit thinking depth (e.g. depth 7)",
    "easy   - no pondering", "hard   - pondering on", "post   - thinking will be displayed",
    "nopost - thinking off", "book   - opening book on", "nobook - opening book off",
    "go     - start playing chess"]


class StartUp(EngineTestCase):
    def test_banner_diagram_and_listing_exact_then_quit(self):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin="quit\n", cwd=empty)
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith("Opening book is missing.\n\nA Chess Engine"), out[:80])
        banner_end = out.index("\n", len("Opening book is missing.\n\n"))
        self.assertEqual(out[banner_end + 1:], STARTUP_TAIL)

    def test_end_of_input_exits_cleanly(self):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin="", cwd=empty, timeout=10)
        self.assertEqual(status, 0)
        self.assertTrue(out.endswith(":- "))


class Commands(EngineTestCase):
    def session(self, text):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin=text, cwd=empty)
        self.assertEqual(status, 0)
        return out[out.index(STARTUP_TAIL) + len(STARTUP_TAIL):]

    def test_settings_before_and_after_new(self):
        # A refused setting leaves the one before it in place, with one console error; "hard"
        # lists the settings again to show it.
        out = self.session(
            "hard\nnew\nhard\npost\nlevel 40 5 0\nlevel 0 2 12\nlevel 40 5:3 0\nlevel 1 2\n"
            "hard\ntime 0\ntime 5x\nhard\ntime 30\ndepth 45\ndepth -3\ndepth\nhard\ndepth 7\n"
            "nobook\ndebug\nnew\nquit\n")
        board = board_diagram(START_ROWS, "White", post=True)
        on = dict(ponder="On", thinking="PV Lines")
        limited = "Time control is ........... Limited depth\n"
        again = "Invalid command. Try again.\n"
        expected = "Type 'new' to start a new game :- " + board_diagram(START_ROWS) + listing()
        expected += board_diagram(START_ROWS, "White") + listing(ponder="On")
        expected += board + listing(**on)
        for kind in ("Conventional", "Incremental"):
            expected += board + listing(control="Time control .............. %s\n" % kind, **on)
        incremental = "Time control .............. Incremental\n"
        expected += again * 2 + board + listing(control=incremental, **on)
        expected += again * 2 + board + listing(control=incremental, **on)
        expected += board + listing(control="Time control .............. 30 seconds per move\n",
                                    **on)
        expected += board + listing(control=limited, **on)
        expected += again * 2 + board + listing(control=limited, **on)
        expected += (board + listing(control=limited, depth=7, **on)) * 2
        expected += board + listing(control=limited, depth=7, ponder="On",
                                    thinking="Full analysis",
                                    extra="Debug mode is ............. On\n")
        # "new" keeps the display and the kind of time control; pondering, the depth and
        # debug mode start afresh.
        expected += board_diagram(START_ROWS) + listing(thinking="PV Lines", control=limited)
        self.assertEqual(out, expected)

    def test_unknown_word_and_help(self):
        out = self.session("new\nfoo\nhelp\nquit\n")
        self.assertIn("Invalid command. Try again.\n", out)
        help_text = out[out.index("new    - new game"):]
        lines = help_text.splitlines()
        # The written lines first, as they are; the commands added since after them.
        self.assertEqual(lines[:len(WRITTEN_HELP)], WRITTEN_HELP)
        added = [line.split()[0] for line in lines[len(WRITTEN_HELP):] if " - " in line]
        self.assertEqual(added, ["?", "perft", "force", "draw", "resign", "remove", "show",
                                 "history", "hint", "score", "pgn"])
        self.assertIn(PACE_HINT, help_text)

    def test_command_words_in_any_case(self):
        fen = "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1"
        lower = self.session("new\npost\nforce\nfen\n" + fen + "\nhelp\nquit\n")
        upper = self.session("NEW\nPost\nFORCE\nFEN\n" + fen + "\nHelp\nQUIT\n")
        self.assertNotIn("Invalid command", lower)
        self.assertIn("Force mode is ............. On\n", lower)
        self.assertIn("Enter FEN position.\n", lower)
        self.assertIn("go     - start playing chess\n", lower)
        self.assertEqual(upper, lower)
        # Moves keep their case: "B" is a bishop, "b" a pawn on the b-file.
        out = self.session("new\nforce\nb4\nBb7\nb5\nquit\n")
        self.assertEqual(out.count("Invalid command. Try again.\n"), 1)


if __name__ == "__main__":
    unittest.main()
