#!/usr/bin/env bash
# Seven Quorvels as outside programs (each its own process, over loopback TCP) against the
# same seven in the arena's process, games to 1911 on both cores: games per minute, and
# what the server and the processes cost. Usage: bench/arena/outside_programs.sh [BUILD_DIR] [GAMES]
set -euo pipefail
build=${1:-build}
games=${2:-28}
arena="$build/quorvel-arena"
bot="$(cd "$(dirname "$build/quorvel")" && pwd)/quorvel"
run=(--games "$games" --last-year 1911 --jobs 2 --quiet --out /dev/null)
seconds() { sed -n 's/.* games in \([0-9.]*\) s:.*/\1/p' | tail -1; }
outside=$("$arena" "exec:$bot" "${run[@]}" | seconds)
inside=$("$arena" quorvel "${run[@]}" | seconds)
awk -v o="$outside" -v i="$inside" -v g="$games" 'BEGIN {
  printf "seven outside Quorvels: %.0f games/min; in the process: %.0f games/min; overhead %.0f%%\n",
         60 * g / o, 60 * g / i, 100 * (o - i) / i }'
