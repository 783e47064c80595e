#!/usr/bin/env python3
"""Start-up cost of one or more engine binaries, side by side in one run.

Each binary is started N times (alternating between binaries) with "quit" waiting on its
input, the way a GUI or a test starts it: the figure is the wall time from start to exit
(median and best) and the largest resident set seen. Usage:

    tools/startup_bench.py BINARY [BINARY ...] [--runs N]
"""
import argparse
import os
import resource
import statistics
import subprocess
import tempfile
import time


def one_start(binary, cwd):
    before = time.perf_counter()
    pid = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                           cwd=cwd)
    pid.communicate(b"quit\n")
    elapsed = time.perf_counter() - before
    return elapsed * 1000.0


def max_rss_kb(binary, cwd):
    # ru_maxrss of the children is the largest of all children so far, so measure each
    # binary in a child process of its own.
    r, w = os.pipe()
    child = os.fork()
    if child == 0:
        os.close(r)
        one_start(binary, cwd)
        rss = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        os.write(w, str(rss).encode())
        os._exit(0)
    os.close(w)
    data = os.read(r, 64)
    os.waitpid(child, 0)
    return int(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binaries", nargs="+")
    parser.add_argument("--runs", type=int, default=30)
    args = parser.parse_args()
    times = {b: [] for b in args.binaries}
    with tempfile.TemporaryDirectory() as cwd:  # no book: the plain start
        for _ in range(args.runs):
            for b in args.binaries:
                times[b].append(one_start(os.path.abspath(b), cwd))
        for b in args.binaries:
            rss = max_rss_kb(os.path.abspath(b), cwd)
            t = times[b]
            print(f"{b}: median {statistics.median(t):.1f} ms, best {min(t):.1f} ms, "
                  f"resident {rss / 1024:.1f} MB over {len(t)} starts")


if __name__ == "__main__":
    main()
