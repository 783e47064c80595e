#!/usr/bin/env python3
"""Self-play statistics from the PGN files of one or more matches between two builds.

Prints wins, draws and losses of the first engine, the Elo difference with its 95 % interval,
the sequential probability ratio test (log-likelihood ratio against the bounds for Elo0 and
Elo1, alpha = beta = 0.05 by default) and the fault counts (games lost on time, by an illegal
move, by a crash or by a false claim, as the arbiter's game-end comment says), and each side's
mean depth. With --clock BASE+INC (seconds) it also prints the clock each side had left when
its games ended, from the thinking time in the move comments: an engine that ends its games
with most of its base unused has played weaker moves than it could have.

With --prior W D L the wins, draws and losses of earlier games of the same two builds (whose
PGN files are gone, e.g. a run begun in another session) are counted with the files' games.

usage: sprt.py --first NAME [--elo0 0] [--elo1 10] [--alpha 0.05] [--beta 0.05]
               [--clock BASE+INC] [--prior W D L] PGN...
Exit status: 0 while undecided, 10 when H1 is accepted (the change gains), 11 when H0 is
accepted (it does not), 1 on a read error.
"""
import argparse
import math
import re
import sys

TAG_RE = re.compile(r'^\[(\w+)\s+"(.*)"\]\s*$')
COMMENT_RE = re.compile(r'\{([^}]*)\}')
EVAL_RE = re.compile(r'^[+-]?\d+(\.\d+)?/\d+(\s+[\d.:]+)?$')
DEPTH_RE = re.compile(r'\{[+-]?[\d.]+/(\d+)(?:\s+([\d.:]+))?\}')
FAULTS = (
    ('false claim', re.compile(r'false .*claim|false claim', re.I)),
    ('time', re.compile(r'on time|time forfeit|out of time', re.I)),
    ('illegal', re.compile(r'illegal|invalid move', re.I)),
    ('crash', re.compile(r'error (writing|reading)|crash|disconnect|terminat|died|killed', re.I)),
)


def read_games(paths):
    """(tags, movetext) of every game in the files; unfinished trailing games are skipped."""
    games = []
    for path in paths:
        try:
            text = open(path, encoding='utf-8', errors='replace').read()
        except OSError as e:
            print('sprt.py: %s' % e, file=sys.stderr)
            sys.exit(1)
        tags, moves = {}, []
        for line in text.splitlines() + ['[End "x"]']:
            m = TAG_RE.match(line)
            if m:
                if moves:
                    games.append((tags, ' '.join(moves)))
                    tags, moves = {}, []
                tags[m.group(1)] = m.group(2)
            elif line.strip():
                moves.append(line.strip())
    return [g for g in games if g[0].get('Result') in ('1-0', '0-1', '1/2-1/2')]


def end_reason(movetext):
    reasons = [c.strip() for c in COMMENT_RE.findall(movetext) if not EVAL_RE.match(c.strip())]
    return reasons[-1] if reasons else ''


def seconds_of(text):
    """Seconds of a comment's time field: 12.3, 1:05 or 1:02:03."""
    total = 0.0
    for part in text.split(':'):
        total = total * 60 + float(part)
    return total


def move_depths(movetext):
    """(White moved, depth, seconds) for every move with a score/depth comment; the opening
    moves replayed from the openings file carry none."""
    out, white_to_move = [], True
    for token in re.findall(r'\{[^}]*\}|\S+', movetext):
        if token.startswith('{'):
            m = DEPTH_RE.match(token)
            if m:
                spent = seconds_of(m.group(2)) if m.group(2) else 0.0
                out.append((not white_to_move, int(m.group(1)), spent))
        elif not re.match(r'^\d+\.+$', token) and token not in ('1-0', '0-1', '1/2-1/2', '*'):
            white_to_move = not white_to_move
    return out


def moves_by(movetext, white):
    """Moves made by one side (those replayed from an opening included)."""
    tokens = [t for t in re.findall(r'\{[^}]*\}|\S+', movetext)
              if not t.startswith('{') and not re.match(r'^\d+\.+$', t)
              and t not in ('1-0', '0-1', '1/2-1/2', '*')]
    return len(tokens[0 if white else 1::2])


def elo_of(score):
    score = min(max(score, 1e-6), 1 - 1e-6)
    return -400.0 * math.log10(1.0 / score - 1.0)


def expected(elo):
    return 1.0 / (1.0 + 10.0 ** (-elo / 400.0))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--first', required=True, help="the first engine's name in the PGN")
    ap.add_argument('--elo0', type=float, default=0.0)
    ap.add_argument('--elo1', type=float, default=10.0)
    ap.add_argument('--alpha', type=float, default=0.05)
    ap.add_argument('--beta', type=float, default=0.05)
    ap.add_argument('--clock', help='BASE+INC in seconds: report the clock left at game end')
    ap.add_argument('--prior', type=int, nargs=3, metavar=('W', 'D', 'L'), default=[0, 0, 0],
                    help="earlier wins, draws and losses of the first engine, counted too")
    ap.add_argument('pgn', nargs='*')
    a = ap.parse_args()
    base = inc = None
    if a.clock:
        m = re.match(r'^([\d.]+)(?:\+([\d.]+))?$', a.clock)
        if not m:
            ap.error('--clock wants BASE+INC in seconds, e.g. 15+0.1')
        base, inc = float(m.group(1)), float(m.group(2) or 0)

    if any(k < 0 for k in a.prior):
        ap.error('--prior wants three counts of games, none negative')
    if not a.pgn and not any(a.prior):
        ap.error('no games: give PGN files, --prior counts or both')
    w, d, l = a.prior
    faults = {name: [0, 0] for name, _ in FAULTS}  # [by first, by second]
    depths = {True: [], False: []}  # depth comments of the first engine and of the other
    left = {True: [], False: []}  # clock left at each game's end, first engine and the other
    for tags, movetext in read_games(a.pgn):
        first_white = tags.get('White') == a.first
        if not first_white and tags.get('Black') != a.first:
            continue
        res = tags['Result']
        if res == '1/2-1/2':
            d += 1
        elif (res == '1-0') == first_white:
            w += 1
        else:
            l += 1
        reason = end_reason(movetext)
        for name, rx in FAULTS:
            if rx.search(reason):
                loser_first = (res == '0-1') == first_white
                faults[name][0 if loser_first else 1] += 1
                break
        spent = {True: 0.0, False: 0.0}
        for white_moved, depth, seconds in move_depths(movetext):
            depths[white_moved == first_white].append(depth)
            spent[white_moved == first_white] += seconds
        if base is not None:
            for first in (True, False):
                white = first == first_white
                left[first].append(base + inc * moves_by(movetext, white) - spent[first])

    n = w + d + l
    print('games %d: +%d =%d -%d for %s' % (n, w, d, l, a.first))
    if n == 0:
        return 0
    s = (w + 0.5 * d) / n
    var = (w * (1 - s) ** 2 + d * (0.5 - s) ** 2 + l * (0 - s) ** 2) / n
    margin = 1.959964 * math.sqrt(var / n) if var > 0 else 0.0
    print('score %.1f %%, Elo %+.1f (95 %% interval %+.1f .. %+.1f)' %
          (100 * s, elo_of(s), elo_of(s - margin), elo_of(s + margin)))
    lower = math.log(a.beta / (1 - a.alpha))
    upper = math.log((1 - a.beta) / a.alpha)
    s0, s1 = expected(a.elo0), expected(a.elo1)
    llr = 0.0 if var == 0 else n * (s1 - s0) * (2 * s - s0 - s1) / (2 * var)
    verdict = 'H1 accepted (gain)' if llr >= upper else (
        'H0 accepted (no gain)' if llr <= lower else 'undecided')
    print('SPRT Elo0 %g Elo1 %g: LLR %.2f (bounds %.2f, %.2f): %s' %
          (a.elo0, a.elo1, llr, lower, upper, verdict))
    print('faults by %s: %s; by the other: %s' % (
        a.first, ', '.join('%s %d' % (k, v[0]) for k, v in faults.items()),
        ', '.join('%s %d' % (k, v[1]) for k, v in faults.items())))
    mean = lambda xs: sum(xs) / len(xs) if xs else 0.0
    if depths[True] or depths[False]:
        print('mean depth: %s %.2f, other %.2f' % (a.first, mean(depths[True]),
                                                   mean(depths[False])))
    else:
        print('mean depth: no depth comments in the files')
    if base is not None and left[True]:
        print('clock left at game end (mean, of base %g s): %s %.1f s (%.0f %%), other %.1f s '
              '(%.0f %%); least: %s %.1f s, other %.1f s' % (
                  base, a.first, mean(left[True]), 100 * mean(left[True]) / base,
                  mean(left[False]), 100 * mean(left[False]) / base, a.first,
                  min(left[True]), min(left[False])))
    return 10 if llr >= upper else (11 if llr <= lower else 0)


if __name__ == '__main__':
    sys.exit(main())
