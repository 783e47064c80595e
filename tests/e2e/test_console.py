"""Console start-up, settings listing, and the commands that work before a game starts."""
import tempfile
import unittest

from engine import START_ROWS, EngineTestCase, board_diagram, listing, run


STARTUP_TAIL = ("Morvaquint  version 3.3\n" 'Type "help" for a list of commands.\n\n'
                + board_diagram(START_ROWS) + listing(ready=False))


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
        out = self.session(
            "hard\nnew\nhard\npost\nlevel 40 5 0\nlevel 0 2 12\nlevel 40 5:3 0\ntime 0\n"
            "time 30\ndepth 45\ndepth -3\ndepth 7\nnobook\ndebug\nnew\nquit\n")
        board = board_diagram(START_ROWS, "White", post=True)
        on = dict(ponder="On", thinking="PV Lines")
        limited = "Time control is ........... Limited depth\n"
        again = "Invalid command. Try again.\n"
        expected = "Type 'new' to start a new game :- " + board_diagram(START_ROWS) + listing()
        expected += board_diagram(START_ROWS, "White") + listing(ponder="On")
        expected += board + listing(**on)
        for kind in ("Conventional", "Incremental"):
            expected += board + listing(control="Time control .............. %s\n" % kind, **on)
        expected += "Error (unknown command): level\n" + board + listing(**on) + again + again
        expected += board + listing(control="Time control .............. 30 seconds per move\n",
                                    **on)
        expected += board + listing(control=limited, **on) + again
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
        self.assertIn("new    - new game\nquit   - quit game\n", out)
        self.assertIn("go     - start playing chess\n", out)
        self.assertIn("level  - conventional (e.g. level 40 5 0) or incremental "
                      "(e.g. level 0 2 12) time controls\n", out)


if __name__ == "__main__":
    unittest.main()
