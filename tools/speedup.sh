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

# "bench: N nodes, T ms, R nps" -> "N T C", C the process's CPU milliseconds (user + system):
# on a loaded machine the wall time also counts the waits for a core, the CPU time does not.
cpuFile=$(mktemp)
trap 'rm -f "$cpuFile"' EXIT
bench() {
    local line
    line=$(/usr/bin/time -o "$cpuFile" -f '%U %S' "$1" bench $depth | awk '/^bench:/ {print $2, $4}')
    echo "$line $(awk '{printf "%d", ($1 + $2) * 1000}' "$cpuFile")"
}

declare -a oldNodes oldMs oldCpu newNodes newMs newCpu
for i in $(seq 1 $runs); do
    read -r n t c < <(bench "$old"); oldNodes+=("$n"); oldMs+=("$t"); oldCpu+=("$c")
    printf 'run %d  old: %s nodes %6s ms  %8d nps  (CPU %6s ms)\n' "$i" "$n" "$t" \
        $((n * 1000 / (t > 0 ? t : 1))) "$c"
    read -r n t c < <(bench "$new"); newNodes+=("$n"); newMs+=("$t"); newCpu+=("$c")
    printf 'run %d  new: %s nodes %6s ms  %8d nps  (CPU %6s ms)\n' "$i" "$n" "$t" \
        $((n * 1000 / (t > 0 ? t : 1))) "$c"
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
oldTotal=0 newTotal=0 oldBest=${oldMs[0]} newBest=${newMs[0]} oldCpuTotal=0 newCpuTotal=0
for i in $(seq 0 $((runs - 1))); do
    oldTotal=$((oldTotal + oldMs[i])); newTotal=$((newTotal + newMs[i]))
    oldCpuTotal=$((oldCpuTotal + oldCpu[i])); newCpuTotal=$((newCpuTotal + newCpu[i]))
    [ "${oldMs[$i]}" -lt "$oldBest" ] && oldBest=${oldMs[$i]}
    [ "${newMs[$i]}" -lt "$newBest" ] && newBest=${newMs[$i]}
done
awk -v a="$oldTotal" -v b="$newTotal" -v c="$oldBest" -v d="$newBest" \
    -v e="$oldCpuTotal" -v f="$newCpuTotal" 'BEGIN {
    printf "speed-up (nodes per second, new / old): %.2f over all runs, %.2f best against best\n",
           a / b, c / d
    printf "speed-up in CPU time over all runs: %.2f\n", e / (f > 0 ? f : 1) }'
exit $status
