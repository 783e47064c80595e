#!/usr/bin/env python3
"""Benchmark: does a fixed-time search keep to its budget?

Runs `morvaquint movetime MS FEN` on a few positions and measures the wall time of each run
against the budget, after subtracting the program's start-up cost (measured with an `eval`
run, which builds the same tables). A search may end early only for a forced or mated
position; an ordinary position should use most of its budget and never overrun it by more
than the tolerance. Timing depends on the machine's load, so this is a benchmark to run by
hand on a quiet machine, not a unit test.

Usage: tools/time_budget_check.py [--binary PATH] [--budget MS] [--tolerance MS] [--runs N]
Exit status 0 when every run kept to its budget, 1 otherwise.
"""
import argparse
import os
import subprocess
import sys
import time

POSITIONS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 b - - 0 10",
    "8/5pk1/6p1/3P4/5P2/6PK/8/8 w - - 0 45",
    "8/8/3k4/8/2K5/8/1Q6/8 w - - 0 60",
]


def default_binary():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(here, "..", "build", "release", "morvaquint")


def timed_run(binary, args):
    start = time.monotonic()
    proc = subprocess.run([binary, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=600)
    elapsed = (time.monotonic() - start) * 1000.0
    return proc.returncode, proc.stdout.decode(), elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", default=os.environ.get("MORVAQUINT", default_binary()))
    parser.add_argument("--budget", type=int, default=1000, help="milliseconds per move")
    parser.add_argument("--tolerance", type=int, default=250, help="allowed overrun, ms")
    parser.add_argument("--runs", type=int, default=2, help="runs per position")
    args = parser.parse_args()

    startup = min(timed_run(args.binary, ["eval"])[2] for _ in range(3))
    print("start-up cost: %.0f ms" % startup)
    failures = 0
    for fen in POSITIONS:
        for _ in range(args.runs):
            status, out, elapsed = timed_run(args.binary, ["movetime", str(args.budget), fen])
            thinking = elapsed - startup
            last = out.strip().splitlines()[-1] if out.strip() else ""
            problems = []
            if status != 0 or not last.startswith("move "):
                problems.append("no move (status %d)" % status)
            if thinking > args.budget + args.tolerance:
                problems.append("overran by %.0f ms" % (thinking - args.budget))
            mate = "Mate in" in out
            if not mate and thinking < 0.5 * args.budget:
                problems.append("stopped early")
            verdict = "FAIL " + ", ".join(problems) if problems else "ok"
            print("%6.0f ms  %-8s %s  %s" % (thinking, last[5:], verdict, fen))
            failures += bool(problems)
    print("%d run(s) out of budget" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
