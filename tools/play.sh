#!/usr/bin/env bash
# Plays one game on this machine: quorvel-server on a free port and Quorvel players, each
# in a directory of its own under games/<date-time>/<power>/. Prints a line per year with
# every power's centres, then the result, and draws games/<date-time>/centres.svg. The game
# is saved as game.json with its board page game.html, and can be watched live meanwhile.
#
#   QUORVEL=7          how many powers Quorvel plays (the others get opponents)
#   OPPONENT=random    the server's opponents: random, hold, greedy, honest or liar
#   LAST_YEAR=1935     the game is drawn after this year
#   PRESS=0            the press level: 0 none, 10 peace and alliances, 20 also orders,
#                      30 also AND and ORR
#   SERVER_OPTIONS=""  more options of quorvel-server, e.g. "-m5 -vNPR -vPTL=2"
#   SETTINGS=games/Quorvel.ini  the settings each Quorvel starts with ("" for none); made
#                               from data/Quorvel.ini when missing, and replaced by the
#                               settings of a Quorvel that won with mutated ones
#   GAMES=games        where the games go;  BUILD=build  where the programs are
set -euo pipefail
cd "$(dirname "$0")/.."

players=${QUORVEL:-7}
opponent=${OPPONENT:-random}
last_year=${LAST_YEAR:-1935}
press=${PRESS:-0}
read -r -a server_options <<< "${SERVER_OPTIONS:-}"
games=${GAMES:-games}
build=${BUILD:-build}
settings=${SETTINGS-$games/Quorvel.ini}

if [[ ! -x $build/quorvel || ! -x $build/quorvel-server ]]; then
  echo "$build/quorvel and $build/quorvel-server are missing: run make first" >&2
  exit 1
fi
build=$(cd "$build" && pwd)

# A folder no other game can take, even one started in the same second: mkdir either
# makes it or fails.
mkdir -p "$games"
stamp=$(date +%Y%m%d-%H%M%S)
game="$games/$stamp"
for n in $(seq 2 1000); do
  mkdir "$game" 2> /dev/null && break
  game="$games/$stamp-$n"
done
[[ -d "$game" ]] || { echo "cannot make a folder for the game in $games" >&2; exit 1; }
if [[ "$settings" == "$games/Quorvel.ini" && ! -f "$settings" ]]; then
  # Renamed into place whole: a game started at the same moment never copies half a file.
  cp data/Quorvel.ini "$settings.$$" && mv -f "$settings.$$" "$settings"
fi
# The server's output file is made here: the background job opens it only when it starts,
# which may come after the first look for the port.
: > "$game/server.txt"
"$build/quorvel-server" -p0 -o"$players" -k"$opponent" -y"$last_year" -l"$press" \
  "${server_options[@]}" -g"$game/game.txt" -j"$game/game.json" -w0 \
  -c"$game/centres.svg" > "$game/server.txt" 2> "$game/server-errors.txt" &
server=$!
pids=()
cleanup() {
  kill "$server" 2> /dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
}
trap cleanup INT TERM

# A loaded machine (or a sanitized build) may take seconds to start the server.
port=""
for _ in $(seq 1 400); do
  port=$(sed -n 's/^quorvel-server: listening on port \([0-9]*\)$/\1/p' "$game/server.txt")
  [[ -n "$port" ]] && break
  sleep 0.05
done
if [[ -z "$port" ]]; then
  echo "quorvel-server did not start:" >&2
  cat "$game/server-errors.txt" >&2
  exit 1
fi
with_press=""
[[ "$press" != 0 ]] && with_press=" at press level $press"
if [[ "$players" == 7 ]]; then
  echo "Game in $game$with_press: Quorvel plays all seven powers; port $port"
else
  echo "Game in $game$with_press: Quorvel plays $players powers, the server's $opponent opponents the others; port $port"
fi
watch=$(sed -n 's/^quorvel-server: watch the game at \(.*\)$/\1/p' "$game/server.txt")
[[ -n "$watch" ]] && echo "Watch it live at $watch"

for i in $(seq 1 "$players"); do
  seat="$game/seat$i"
  mkdir -p "$seat"
  [[ -n "$settings" && -f "$settings" ]] && cp "$settings" "$seat/Quorvel.ini"
  (cd "$seat" && exec "$build/quorvel" -i127.0.0.1 -p"$port" -l1 > stdout.txt 2> stderr.txt) &
  pids+=($!)
done

# Every player writes its power to recovery.txt when the game begins: its folder takes the
# power's name, during the game and, for any seat still unnamed, once it is over.
powers=(AUS ENG FRA GER ITA RUS TUR)
name_seats() {
  for i in $(seq 1 "$players"); do
    local seat="$game/seat$i"
    [[ -s "$seat/recovery.txt" ]] || continue
    local token power
    # The other pass may have named this seat meanwhile.
    token=$(cut -d' ' -f1 "$seat/recovery.txt" 2> /dev/null) || continue
    [[ "$token" =~ ^[0-9]+$ ]] && ((token >= 16640 && token < 16647)) || continue
    power=${powers[$((token - 16640))]:-}
    if [[ -n "$power" && ! -e "$game/$power" ]]; then
      mv -T "$seat" "$game/$power" 2> /dev/null || true
    fi
  done
  return 0
}
(
  for _ in $(seq 1 600); do
    name_seats
    [[ -z "$(ls -d "$game"/seat* 2> /dev/null)" ]] && exit 0
    sleep 0.1
  done
) &
namer=$!

# The server's first lines (its port, the watch address) were said above.
tail -n +"$(($(grep -c '^quorvel-server:' "$game/server.txt") + 1))" -f --pid="$server" "$game/server.txt" &
wait "$server"
status=$?
for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null || true; done
kill "$namer" 2> /dev/null || true
wait "$namer" 2> /dev/null || true
name_seats

# Learning: a player that won with mutated settings wrote them back and logged them.
if [[ -n "$settings" && -f "$settings" ]]; then
  for log in "$game"/*/changelog.csv; do
    [[ -f "$log" ]] || continue
    cp "$(dirname "$log")/Quorvel.ini" "$settings.$$" && mv -f "$settings.$$" "$settings"
    cat "$log" >> "$(dirname "$settings")/changelog.csv"
    echo "The winner's mutated settings are kept in $settings"
  done
fi
echo "The record of the game: $game/game.txt"
if [[ -f "$game/game.html" ]]; then
  echo "The board page of the game: $game/game.html (the saved game: $game/game.json)"
fi
if [[ -f "$game/centres.svg" ]]; then
  echo "The chart of the game: $game/centres.svg"
fi
exit $status
