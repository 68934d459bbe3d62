#!/usr/bin/env bash
# Games per second of the same arena run without and with --record (the text record, the
# saved game and its board page of every game), on both cores; the recording run should
# keep at least 90% of the rate. Usage: bench/arena/record_cost.sh [BUILD_DIR] [GAMES]
set -euo pipefail
build=${1:-build}
games=${2:-700}
arena="$build/quorvel-arena"
run=(quorvel:data/Quorvel.ini greedy --games "$games" --quiet --out /dev/null)
rate() { sed -n 's/.* s: \([0-9.]*\) games\/s$/\1/p' | tail -1; }
record=$(mktemp -d)
trap 'rm -rf "$record"' EXIT
plain=$("$arena" "${run[@]}" | rate)
recorded=$("$arena" "${run[@]}" --record "$record" | rate)
echo "without --record: $plain games/s; with it: $recorded games/s ($(du -sh "$record" | cut -f1) written)"
awk -v p="$plain" -v r="$recorded" 'BEGIN { printf "kept: %.0f%%\n", 100 * r / p; exit !(r >= 0.9 * p) }'
