"""Packaging: every build keeps the opening book beside its binary, and an installed engine
(PREFIX/games) finds its book in PREFIX/share/morvaquint from any working directory."""
import os
import shutil
import subprocess
import tempfile
import unittest

from engine import BUILT_BINARY, EngineTestCase

BUILD_DIR = os.environ.get("MORVA_BUILD_DIR")
BOOK_ON = "Opening book is ........... On\n"


def start(binary, cwd):
    """The console's start-up text of the binary run in cwd."""
    proc = subprocess.run([binary], input=b"quit\n", stdout=subprocess.PIPE, cwd=cwd, timeout=60)
    assert proc.returncode == 0
    return proc.stdout.decode()


@unittest.skipUnless(BUILD_DIR, "needs the build folder (run through ctest)")
class Install(EngineTestCase):
    def test_the_book_beside_the_built_binary(self):
        self.assertTrue(os.path.isfile(os.path.join(os.path.dirname(BUILT_BINARY),
                                                    "Morvabook.bok")))
        with tempfile.TemporaryDirectory() as elsewhere:
            out = start(BUILT_BINARY, elsewhere)
        self.assertIn(BOOK_ON, out)
        self.assertNotIn("missing", out)

    def test_installed_engine_finds_its_book_from_anywhere(self):
        with tempfile.TemporaryDirectory() as prefix, \
                tempfile.TemporaryDirectory() as elsewhere:
            proc = subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
            self.assertEqual(proc.returncode, 0, proc.stdout.decode())
            engine = os.path.join(prefix, "games", "morvaquint")
            book = os.path.join(prefix, "share", "morvaquint", "Morvabook.bok")
            self.assertTrue(os.access(engine, os.X_OK))
            with open(book, "rb") as installed, \
                    open(os.path.join(BUILD_DIR, "Morvabook.bok"), "rb") as built:
                self.assertEqual(installed.read(), built.read())
            found = start(engine, elsewhere)
            os.remove(book)
            missing = start(engine, elsewhere)
        self.assertIn(BOOK_ON, found)
        self.assertNotIn("missing", found)
        self.assertTrue(missing.startswith("Opening book is missing.\n"), missing[:80])


if __name__ == "__main__":
    unittest.main()
