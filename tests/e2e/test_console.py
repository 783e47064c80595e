"""Console start-up, settings listing, and the commands that work before a game starts."""
import tempfile
import unittest

from engine import START_ROWS, EngineTestCase, board_diagram, run


def listing(ready, time_line="Time control .............. Infinite\n", depth=30, extra=""):
    text = "Current settings are: -\n"
    text += "Ready to play a new game .. %s\n" % ("Yes" if ready else "No")
    text += "Morvaquint will play ...... Black\n"
    text += "Pondering is .............. Off\n"
    text += "Display thinking .......... Off\n"
    text += time_line
    text += "Depth level ............... %d ply\n" % depth
    text += "Opening book is ........... Off\n"
    text += extra
    text += ("For a list of commands type 'help' or 'go' to start\n" if ready
             else "Type 'new' for a new game or 'quit' to exit\n")
    return text + ":- "


STARTUP_TAIL = ("Morvaquint  version 3.3\n" 'Type "help" for a list of commands.\n\n'
                + board_diagram(START_ROWS) + listing(False))


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

    def test_end_of_input_inside_dialogs_exits_cleanly(self):
        for dialog in ("perft\n", "fen\n", "perft\n5x\n"):
            with tempfile.TemporaryDirectory() as empty:
                status, _ = run(stdin=dialog, cwd=empty, timeout=10)
            self.assertEqual(status, 0, dialog)


class Commands(EngineTestCase):
    def session(self, text):
        with tempfile.TemporaryDirectory() as empty:
            status, out = run(stdin=text, cwd=empty)
        self.assertEqual(status, 0)
        return out[out.index(STARTUP_TAIL) + len(STARTUP_TAIL):]

    def test_settings_blocked_before_new(self):
        out = self.session("hard\nquit\n")
        self.assertEqual(out, "Type 'new' to start a new game :- ")

    def test_new_lists_a_ready_game(self):
        out = self.session("new\nquit\n")
        self.assertEqual(out, board_diagram(START_ROWS) + listing(True))

    def test_depth_and_time_settings(self):
        out = self.session("new\ndepth 45\ndepth 0\ntime 30\ndepth -3\nquit\n")
        board = board_diagram(START_ROWS, "White")
        expected = board_diagram(START_ROWS) + listing(True)
        expected += board + listing(True, "Time control is ........... Limited depth\n", 30)
        expected += "Invalid command. Try again.\n"
        expected += board + listing(True, "Time control .............. 30 seconds per move\n", 30)
        expected += "Invalid command. Try again.\n"
        self.assertEqual(out, expected)

    def test_unknown_word_and_help(self):
        out = self.session("new\nfoo\nhelp\nquit\n")
        self.assertIn("Invalid command. Try again.\n", out)
        self.assertIn("new    - new game\nquit   - quit game\n", out)
        self.assertIn("go     - start playing chess\n", out)
        self.assertIn("level  - conventional (e.g. level 40 5 0) or incremental "
                      "(e.g. level 0 2 12) time controls\n", out)

    def test_level_with_bad_fields_is_refused(self):
        out = self.session("new\nlevel 100 5 0\nquit\n")
        self.assertIn("Error (unknown command): level\n", out)
        self.assertTrue(out.endswith(":- Invalid command. Try again.\n"))


if __name__ == "__main__":
    unittest.main()
