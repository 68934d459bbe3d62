#!/usr/bin/env bash
# Plays one game on this machine: quorvel-server on a free port and Quorvel players, each
# in a directory of its own under games/<date-time>/<power>/. Prints a line per year with
# every power's centres, then the result.
#
#   QUORVEL=7          how many powers Quorvel plays (the others get opponents)
#   OPPONENT=random    the server's opponents: random, hold or greedy
#   LAST_YEAR=1935     the game is drawn after this year
#   SETTINGS=games/Quorvel.ini  the settings each Quorvel starts with ("" for none); made
#                               from data/Quorvel.ini when missing, and replaced by the
#                               settings of a Quorvel that won with mutated ones
set -euo pipefail
cd "$(dirname "$0")/.."

players=${QUORVEL:-7}
opponent=${OPPONENT:-random}
last_year=${LAST_YEAR:-1935}
settings=${SETTINGS-games/Quorvel.ini}
root=$(pwd)

if [[ ! -x build/quorvel || ! -x build/quorvel-server ]]; then
  echo "build/quorvel and build/quorvel-server are missing: run make first" >&2
  exit 1
fi

game="games/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$game"
if [[ "$settings" == games/Quorvel.ini && ! -f games/Quorvel.ini ]]; then
  cp data/Quorvel.ini games/Quorvel.ini
fi
build/quorvel-server -p0 -o"$players" -k"$opponent" -y"$last_year" -g"$game/game.txt" \
  > "$game/server.txt" 2> "$game/server-errors.txt" &
server=$!
pids=()
cleanup() {
  kill "$server" 2> /dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
}
trap cleanup INT TERM

port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^quorvel-server: listening on port \([0-9]*\)$/\1/p' "$game/server.txt")
  [[ -n "$port" ]] && break
  sleep 0.05
done
if [[ -z "$port" ]]; then
  echo "quorvel-server did not start:" >&2
  cat "$game/server-errors.txt" >&2
  exit 1
fi
if [[ "$players" == 7 ]]; then
  echo "Game in $game: Quorvel plays all seven powers; port $port"
else
  echo "Game in $game: Quorvel plays $players powers, the server's $opponent opponents the others; port $port"
fi

for i in $(seq 1 "$players"); do
  seat="$game/seat$i"
  mkdir -p "$seat"
  [[ -n "$settings" && -f "$settings" ]] && cp "$settings" "$seat/Quorvel.ini"
  (cd "$seat" && exec "$root/build/quorvel" -i127.0.0.1 -p"$port" -l1 > stdout.txt 2> stderr.txt) &
  pids+=($!)
done

# Once the game has begun every player knows its power: name its directory after it.
powers=(AUS ENG FRA GER ITA RUS TUR)
(
  for _ in $(seq 1 600); do
    ready=1
    for i in $(seq 1 "$players"); do [[ -s "$game/seat$i/recovery.txt" ]] || ready=0; done
    if [[ $ready == 1 ]]; then
      for i in $(seq 1 "$players"); do
        token=$(cut -d' ' -f1 "$game/seat$i/recovery.txt")
        power=${powers[$((token - 16640))]:-seat$i}
        mv "$game/seat$i" "$game/$power"
      done
      exit 0
    fi
    sleep 0.1
  done
) &

tail -n +2 -f --pid="$server" "$game/server.txt" &
wait "$server"
status=$?
for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null || true; done
sleep 0.2

# Learning: a player that won with mutated settings wrote them back and logged them.
if [[ -n "$settings" && -f "$settings" ]]; then
  for log in "$game"/*/changelog.csv; do
    [[ -f "$log" ]] || continue
    cp "$(dirname "$log")/Quorvel.ini" "$settings"
    cat "$log" >> "$(dirname "$settings")/changelog.csv"
    echo "The winner's mutated settings are kept in $settings"
  done
fi
echo "The record of the game: $game/game.txt"
exit $status
