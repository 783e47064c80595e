"""Fuzzer findings kept as reproducers (fuzz/regressions/TARGET/): the whole-program ones are
fed to the engine as its standard input, as the protocol target fed them, and must still
run to a clean end."""
import os
import subprocess
import tempfile
import unittest

from engine import BINARY, EngineTestCase

REGRESSIONS = os.path.join(os.path.dirname(__file__), "..", "..", "fuzz", "regressions")


class Reproducers(EngineTestCase):
    def test_whole_program_reproducers_end_with_status_0(self):
        folder = os.path.join(REGRESSIONS, "protocol")
        names = sorted(os.listdir(folder))
        self.assertTrue(names, "no reproducers in " + folder)
        for name in names:
            with self.subTest(name), open(os.path.join(folder, name), "rb") as lines, \
                    tempfile.TemporaryDirectory() as empty:
                proc = subprocess.run([BINARY], stdin=lines, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.PIPE, cwd=empty, timeout=60)
                self.assertEqual(proc.returncode, 0, proc.stderr.decode()[-2000:])
                self.assertNotIn("runtime error", proc.stderr.decode())


if __name__ == "__main__":
    unittest.main()
