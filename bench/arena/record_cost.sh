#!/usr/bin/env bash
# Games per second of the same arena run without and with --record (the text record, the
# saved game and its board page of every game), on both cores; the recording run should
# keep at least 90% of the rate. The runs alternate, three of each, and the best of each
# counts: what else the machine does only ever slows a run down. The records go to a fresh
# folder in the build's, as a run's records would: a temporary folder that has seen many
# files come and go can make creating files alone cost more than writing them.
# Usage: bench/arena/record_cost.sh [BUILD_DIR] [GAMES]
set -euo pipefail
build=${1:-build}
games=${2:-700}
arena="$build/quorvel-arena"
run=(quorvel:data/Quorvel.ini greedy --games "$games" --quiet --out /dev/null)
rate() { sed -n 's/.* s: \([0-9.]*\) games\/s$/\1/p' | tail -1; }
best() { printf '%s\n' "$@" | sort -g | tail -1; }
record=$(mktemp -d -p "$build")
trap 'rm -rf "$record"' EXIT
plain=() recorded=()
for _ in 1 2 3; do
  plain+=("$("$arena" "${run[@]}" | rate)")
  rm -rf "${record:?}"/*
  recorded+=("$("$arena" "${run[@]}" --record "$record" | rate)")
done
p=$(best "${plain[@]}")
r=$(best "${recorded[@]}")
echo "without --record: ${plain[*]} games/s; with it: ${recorded[*]} games/s" \
  "($(du -sh "$record" | cut -f1) written)"
awk -v p="$p" -v r="$r" 'BEGIN { printf "kept: %.0f%% (best %s against %s)\n", 100 * r / p, r, p; exit !(r >= 0.9 * p) }'
