#!/usr/bin/env bash
# Side-by-side speed of two builds on the same machine in one run: the bench of each binary
# is run alternately three times. The node counts must be equal (the same search tree); the
# figure to report is the ratio of nodes per second, since absolute speed on a shared
# machine drifts from run to run.
#
#   tools/speedup.sh OLD_BINARY NEW_BINARY [BENCH_DEPTH]
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 OLD_BINARY NEW_BINARY [BENCH_DEPTH]" >&2
    exit 2
fi
old=$1 new=$2 depth=${3:-}
runs=3

# "bench: N nodes, T ms, R nps" -> "N T"
bench() { "$1" bench $depth | awk '/^bench:/ {print $2, $4}'; }

declare -a oldNodes oldMs newNodes newMs
for i in $(seq 1 $runs); do
    read -r n t < <(bench "$old"); oldNodes+=("$n"); oldMs+=("$t")
    printf 'run %d  old: %s nodes %6s ms  %8d nps\n' "$i" "$n" "$t" $((n * 1000 / (t > 0 ? t : 1)))
    read -r n t < <(bench "$new"); newNodes+=("$n"); newMs+=("$t")
    printf 'run %d  new: %s nodes %6s ms  %8d nps\n' "$i" "$n" "$t" $((n * 1000 / (t > 0 ? t : 1)))
done

status=0
for i in $(seq 0 $((runs - 1))); do
    if [ "${oldNodes[$i]}" != "${newNodes[$i]}" ]; then
        echo "NODE COUNTS DIFFER: old ${oldNodes[$i]}, new ${newNodes[$i]} (not the same tree)"
        status=1
        break
    fi
done
[ $status -eq 0 ] && echo "nodes equal: ${newNodes[0]}"

# Ratio of total time over the three runs of each (same nodes: time ratio = nps ratio), and
# the ratio of the best run of each.
oldTotal=0 newTotal=0 oldBest=${oldMs[0]} newBest=${newMs[0]}
for i in $(seq 0 $((runs - 1))); do
    oldTotal=$((oldTotal + oldMs[i])); newTotal=$((newTotal + newMs[i]))
    [ "${oldMs[$i]}" -lt "$oldBest" ] && oldBest=${oldMs[$i]}
    [ "${newMs[$i]}" -lt "$newBest" ] && newBest=${newMs[$i]}
done
awk -v a="$oldTotal" -v b="$newTotal" -v c="$oldBest" -v d="$newBest" 'BEGIN {
    printf "speed-up (nodes per second, new / old): %.2f over all runs, %.2f best against best\n",
           a / b, c / d }'
exit $status
