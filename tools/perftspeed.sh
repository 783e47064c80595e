#!/usr/bin/env bash
# Side-by-side move-generation speed of two builds in one run: perft of every reference
# position of tests/board/perft_suite.txt, one ply deeper than the suite checks (the start
# position to depth 6), old and new binary alternately, three rounds. The counts must be equal;
# the figure to report is the ratio of the times.
#
#   tools/perftspeed.sh OLD_BINARY NEW_BINARY
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 OLD_BINARY NEW_BINARY" >&2
    exit 2
fi
old=$1 new=$2
suite=$(dirname "$0")/../tests/board/perft_suite.txt
rounds=3

# One perft run: prints "<count at the last depth> <milliseconds>".
timed() {
    local start end count
    start=$(date +%s%N)
    count=$("$1" perft "$2" "$3" | awk 'END {print $2}')
    end=$(date +%s%N)
    echo "$count $(((end - start) / 1000000))"
}

oldTotal=0 newTotal=0 status=0
for round in $(seq 1 $rounds); do
    while IFS= read -r line; do
        case $line in '#'* | '') continue ;; esac
        fen=${line%% ;*}
        deepest=$(grep -o ';D[0-9]*' <<<"$line" | tail -1 | tr -d ';D')
        depth=$((deepest + 1))
        read -r oc om < <(timed "$old" "$depth" "$fen")
        read -r nc nm < <(timed "$new" "$depth" "$fen")
        oldTotal=$((oldTotal + om)) newTotal=$((newTotal + nm))
        [ "$oc" = "$nc" ] || { echo "COUNTS DIFFER at depth $depth: $fen ($oc, $nc)"; status=1; }
        printf 'round %d depth %d %12s  old %6d ms  new %6d ms  %s\n' "$round" "$depth" "$nc" \
            "$om" "$nm" "$fen"
    done <"$suite"
done
awk -v a="$oldTotal" -v b="$newTotal" 'BEGIN {
    printf "perft time old %d ms, new %d ms: new is %.2f times as fast\n", a, b, a / b }'
exit $status
