#!/usr/bin/env bash
# Self-play of two builds through the headless xboard match harness (xboard is the arbiter),
# from the balanced openings of tools/openings.pgn, each played with both colours, with a
# sequential probability ratio test that stops the run as soon as it is decided.
#
# usage: tools/selfplay.sh NEW OLD [--games N] [--tc 5s+0.05] [--parallel P] [--out DIR]
#                          [--elo0 0] [--elo1 10] [--openings FILE] [--no-stop]
#                          [--prior W D L]
# NEW and OLD are engine binaries; each is copied into a folder of its own without an opening
# book, so that the games start from the openings alone. P matches run side by side, each on
# its own share of the openings. The statistics come from tools/sprt.py (first engine "new").
# --prior continues an earlier run of the same two builds: its wins, draws and losses for NEW
# count towards the test, which then stops on the verdict of all the games.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
match=${MATCH_SH:-$here/../../shared/match/match.sh}
[ -x "$match" ] || match=$(cd "$here/../.." && pwd)/shared/match/match.sh

[ $# -ge 2 ] || { sed -n 6,13p "$0" | sed 's/^# \{0,1\}//'; exit 2; }
new=$(readlink -f "$1"); old=$(readlink -f "$2"); shift 2
games=200 tc=5s+0.05 parallel=2 out="" elo0=0 elo1=10 openings=$here/openings.pgn stop=1
prior="0 0 0"
while [ $# -gt 0 ]; do
    case $1 in
    --games) games=$2; shift 2 ;;
    --tc) tc=$2; shift 2 ;;
    --parallel) parallel=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --elo0) elo0=$2; shift 2 ;;
    --elo1) elo1=$2; shift 2 ;;
    --openings) openings=$(readlink -f "$2"); shift 2 ;;
    --no-stop) stop=0; shift ;;
    --prior) prior="$2 $3 $4"; shift 4 ;;
    *) echo "selfplay.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[ -n "$out" ] || out=/tmp/selfplay-$(date +%Y%m%d-%H%M%S)-$$
[ ! -e "$out" ] || { echo "selfplay.sh: $out exists" >&2; exit 2; }
mkdir -p "$out/new" "$out/old"
cp "$new" "$out/new/morvaquint"
cp "$old" "$out/old/morvaquint"

# The openings are dealt round-robin to the matches; every match plays an even number of
# games, so each of its openings is played with both colours.
per=$(( (games / parallel + 1) / 2 * 2 ))
pids=()
for ((k = 0; k < parallel; k++)); do
    # xboard stops at the end of the file, so the share is repeated until it holds enough
    # openings for the match (each is played twice, once with each colour).
    awk -v k=$k -v p=$parallel '/^\[Event /{n++} (n - 1) % p == k' "$openings" >"$out/share-$k.pgn"
    n=$(grep -c '^\[Event ' "$out/share-$k.pgn")
    : >"$out/openings-$k.pgn"
    for ((r = 0; r * 2 * n < per; r++)); do cat "$out/share-$k.pgn" >>"$out/openings-$k.pgn"; done
    setsid "$match" --first "$out/new/morvaquint" --first-dir "$out/new" --first-name new \
        --second "$out/old/morvaquint" --second-dir "$out/old" --second-name old \
        --games "$per" --tc "$tc" --openings "$out/openings-$k.pgn" --out "$out/m$k" \
        --no-debug >"$out/match-$k.log" 2>&1 &
    pids+=($!)
done
echo "selfplay: $new vs $old, $((per * parallel)) games at $tc in $parallel matches; logs in $out"

stats() {
    # shellcheck disable=SC2086 # the three counts are three words
    python3 "$here/sprt.py" --first new --elo0 "$elo0" --elo1 "$elo1" --prior $prior \
        $(ls "$out"/m*/games.pgn 2>/dev/null)
}
running() { for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && return 0; done; return 1; }
while running; do
    sleep 20
    [ "$stop" = 1 ] || continue
    set +e; stats >/dev/null 2>&1; rc=$?; set -e
    if [ $rc -eq 10 ] || [ $rc -eq 11 ]; then
        for p in "${pids[@]}"; do kill -TERM -- -"$p" 2>/dev/null || true; done
        sleep 2
        for p in "${pids[@]}"; do kill -KILL -- -"$p" 2>/dev/null || true; done
        echo "selfplay: stopped early, the test is decided"
        break
    fi
done
wait 2>/dev/null || true
set +e
stats | tee "$out/result.txt"
exit 0
