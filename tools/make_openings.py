#!/usr/bin/env python3
"""Balanced start positions for self-play, drawn from the book's opening lines.

Every distinct prefix of PLIES half-moves of book/openings.txt is a candidate; the engine
searches each to a fixed depth (over xboard, with the moves given as usermove), and a
candidate is kept when the score lies within MARGIN centipawns of level. The kept lines are
spread over the whole book (one in every k candidates) and written as a PGN file of opening
games, which the match harness replays before each game (each opening once with each colour).

usage: make_openings.py ENGINE [--plies 10] [--depth 7] [--margin 60] [--count 120] OUT.pgn
"""
import argparse
import subprocess
import sys


def book_lines(path):
    lines = []
    with open(path) as f:
        for raw in f:
            text = raw.split('#', 1)[0].split()
            moves = [w for w in text if not w[0].isdigit()]
            if moves:
                lines.append(moves)
    return lines


def level_score(engine, moves, depth):
    """The engine's score for the side to move after `moves` at `depth`, or None."""
    script = ['xboard', 'protover 2', 'new', 'force']
    script += ['usermove ' + m for m in moves]
    script += ['sd %d' % depth, 'post', 'go']
    proc = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    proc.stdin.write('\n'.join(script) + '\n')
    proc.stdin.flush()
    score = None
    for line in proc.stdout:
        words = line.split()
        if len(words) >= 4 and all(w.lstrip('-').isdigit() for w in words[:4]):
            score = int(words[1])
        if words and words[0] == 'move':
            break
        if 'Illegal' in line or 'Error' in line:
            score = None
            break
    proc.stdin.write('quit\n')
    proc.stdin.close()
    proc.wait(timeout=10)
    return score


def pgn_game(index, moves):
    text = []
    for i, m in enumerate(moves):
        if i % 2 == 0:
            text.append('%d.' % (i // 2 + 1))
        text.append(m)
    return ('[Event "opening %d"]\n[Site "?"]\n[Date "????.??.??"]\n[Round "-"]\n'
            '[White "?"]\n[Black "?"]\n[Result "*"]\n\n%s *\n\n' % (index, ' '.join(text)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('engine')
    ap.add_argument('out')
    ap.add_argument('--book', default='book/openings.txt')
    ap.add_argument('--plies', type=int, default=10)
    ap.add_argument('--depth', type=int, default=7)
    ap.add_argument('--margin', type=int, default=60)
    ap.add_argument('--count', type=int, default=120)
    a = ap.parse_args()

    seen, candidates = set(), []
    for line in book_lines(a.book):
        if len(line) < a.plies:
            continue
        prefix = tuple(line[:a.plies])
        if prefix not in seen:
            seen.add(prefix)
            candidates.append(list(prefix))
    # Spread the picks over the whole book: its families come in blocks.
    step = max(1, len(candidates) // (a.count * 2))
    kept = []
    for start in range(step):
        for moves in candidates[start::step]:
            if len(kept) >= a.count:
                break
            s = level_score(a.engine, moves, a.depth)
            if s is not None and abs(s) <= a.margin:
                kept.append((moves, s))
        if len(kept) >= a.count:
            break
    with open(a.out, 'w') as f:
        for i, (moves, _) in enumerate(kept):
            f.write(pgn_game(i + 1, moves))
    scores = [s for _, s in kept]
    print('%d candidates, %d kept (|score| <= %d at depth %d), mean score %+.1f' %
          (len(candidates), len(kept), a.margin, a.depth,
           sum(scores) / len(scores) if scores else 0.0))
    return 0 if len(kept) >= a.count else 1


if __name__ == '__main__':
    sys.exit(main())
