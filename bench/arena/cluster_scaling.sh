#!/usr/bin/env bash
# Games per second of the same arena run on two threads of one process and on two MPI
# ranks of one thread each, on this host; the ranks should reach at least 90% of the
# threads. Usage: bench/arena/cluster_scaling.sh [BUILD_DIR] [GAMES]
set -euo pipefail
build=${1:-build}
games=${2:-700}
arena="$build/quorvel-arena"
run=(quorvel greedy --games "$games" --last-year 1911 --quiet)
rate() { sed -n 's/.* s: \([0-9.]*\) games\/s$/\1/p' | tail -1; }
threads=$("$arena" "${run[@]}" --jobs 2 | rate)
ranks=$(mpirun --allow-run-as-root --host localhost:2 -np 2 "$arena" "${run[@]}" --jobs 1 | rate)
echo "two threads: $threads games/s; two ranks: $ranks games/s"
awk -v t="$threads" -v r="$ranks" 'BEGIN { printf "ranks/threads: %.2f\n", r / t; exit !(r >= 0.9 * t) }'
