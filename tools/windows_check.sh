#!/usr/bin/env bash
# Checks the Windows quorvel.exe under wine against the Linux quorvel-server, on a
# virtual screen (Xvfb):
#   1. a short whole game, in which every order it sends is taken and it ends with 0;
#   2. its window: while it plays, a window captioned "Quorvel" with its Cancel button is
#      on the screen (hidden with -h, minimised with -m); a click on Cancel ends it with
#      exit status 0 and nothing more sent, and so does the close command;
#   3. a real message box: with no server to reach it says so in a box captioned
#      "Quorvel", and plays on (idle) after its OK until it is cancelled;
#   4. quorvel-server.exe under wine serves a short game to the Linux quorvel.
# Leaves screenshots of the window and the box in $WINDOWS_BUILD/quorvel-window.png and
# quorvel-message-box.png.
#
#   WINDOWS_BUILD=build-windows  where quorvel.exe is
#   LINUX_BUILD=build-test       where quorvel, quorvel-server and tests/quorvel-idle-player
#                                (a player that never orders) are
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

windows_build=${WINDOWS_BUILD:-build-windows}
linux_build=${LINUX_BUILD:-build-test}
idle_player="$linux_build/tests/quorvel-idle-player"
exe="$root/$windows_build/quorvel.exe"
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
export WINEDEBUG=-all WINEPREFIX="$root/$windows_build/wine"

fail() {
  echo "windows check: $*" >&2
  exit 1
}
for needed in "$exe" "$root/$windows_build/quorvel-server.exe" "$linux_build/quorvel" \
  "$linux_build/quorvel-server" "$idle_player"; do
  [[ -x $needed ]] || fail "$needed is missing"
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  wineserver=$(dirname "$wine")/wineserver
  [[ -x $wineserver ]] || wineserver=$(command -v wineserver || true)
  [[ -n $wineserver ]] && "$wineserver" -k 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A screen of its own, on the first free display number.
display=""
for n in $(seq 90 150); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  display=":$n"
  break
done
[[ -n $display ]] || fail "no free X display"
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp > "$work/xvfb.txt" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 1 100); do
  xdotool getdisplaygeometry > /dev/null 2>&1 && break
  sleep 0.1
done
xdotool getdisplaygeometry > /dev/null 2>&1 || fail "Xvfb did not start: $(cat "$work/xvfb.txt")"

# Wine draws the window's caption itself, so that the screenshot shows it without a
# window manager.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1 ||
  fail "wine does not start"

# Starts quorvel-server in $1 with the remaining options; sets port.
start_server() {
  local dir=$1
  shift
  mkdir -p "$dir"
  "$linux_build/quorvel-server" -p0 -g"$dir/game.txt" "$@" > "$dir/server.txt" 2>&1 &
  pids+=($!)
  wait_for_port "$dir/server.txt"
}

# Sets port to the one a server (Linux or Windows, so "\r" aside) says in its output $1.
wait_for_port() {
  port=""
  for _ in $(seq 1 400); do
    port=$(tr -d '\r' < "$1" | sed -n 's/^quorvel-server: listening on port \([0-9]*\)$/\1/p')
    [[ -n $port ]] && return
    sleep 0.05
  done
  fail "the server did not start: $(cat "$1")"
}

# Starts quorvel.exe in folder $1 of $2 with the remaining options; sets seat_pid.
quorvel_seat() {
  mkdir -p "$2/$1"
  (cd "$2/$1" && exec timeout 120 "$wine" "$exe" -i127.0.0.1 "${@:3}") > "$2/$1/output.txt" 2>&1 &
  seat_pid=$!
  pids+=($seat_pid)
}
# Waits up to 10 s for process $1 to end; its exit status must be 0.
expect_exit_0() {
  for _ in $(seq 1 100); do
    kill -0 "$1" 2> /dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2> /dev/null && fail "$2 did not end quorvel.exe"
  local status=0
  wait "$1" || status=$?
  [[ $status == 0 ]] || fail "quorvel.exe ended with $status after $2"
}
probe() {
  "$wine" "$root/$windows_build/quorvel-window-probe.exe" "$@" | tr -d '\r'
}

# 1. A whole game: Quorvel against six greedy players, to 1903.
game="$work/game"
start_server "$game" -o1 -kgreedy -y1903
game_port=$port
mkdir -p "$game/seat"
started=$(date +%s)
status=0
(cd "$game/seat" && timeout 300 "$wine" "$exe" -i127.0.0.1 -p"$port" -l1) \
  > "$game/seat/output.txt" 2>&1 || status=$?
[[ $status == 0 ]] || fail "quorvel.exe ended with $status in the whole game: $(cat "$game/seat/output.txt")"
orders=$(grep -c ' << THX ' "$game/game.txt" || true)
refused=$(grep ' << THX ' "$game/game.txt" | grep -vc '( MBV )$' || true)
((orders > 0)) || fail "quorvel.exe sent no orders"
((refused == 0)) || fail "$refused of its $orders orders were refused: $(grep ' << THX ' "$game/game.txt" | grep -v '( MBV )$')"
grep -q '^1903:' "$game/server.txt" || fail "the game did not reach 1903: $(cat "$game/server.txt")"
echo "windows check: quorvel.exe played a game to 1903 under wine in $(($(date +%s) - started)) s; all $orders orders taken"

# 2. The window, in a game that waits for a player who never orders. Three Quorvels play
# in it: one as it starts by default, one hidden (-h) and one minimised (-m).
window="$work/window"
start_server "$window" -o4 -kgreedy
"$idle_player" "$port" > "$window/idle.txt" 2>&1 &
pids+=($!)
quorvel_seat shown "$window" -p"$port"
quorvel=$seat_pid
for _ in $(seq 1 300); do
  grep -q ' plays Quorvel ' "$window/game.txt" 2> /dev/null && break
  sleep 0.1
done
client=$(sed -n 's/^ *[0-9.]* \(client [0-9]* ([A-Z]*)\) plays Quorvel .*/\1/p' "$window/game.txt")
[[ -n $client ]] || fail "quorvel.exe did not join: $(cat "$window/shown/output.txt")"
quorvel_seat hidden "$window" -p"$port" -h
hidden=$seat_pid
quorvel_seat minimised "$window" -p"$port" -m
# They play: each one's first orders are taken.
for _ in $(seq 1 600); do
  (($(grep -c ' << THX .*( MBV )$' "$window/game.txt") >= 6)) && break
  sleep 0.1
done
grep -q "$client << THX " "$window/game.txt" || fail "quorvel.exe did not order"
sleep 1
windows=$(probe)
[[ $(sort <<< "$windows" | cut -d' ' -f1-3 | tr '\n' ' ') == \
  "hidden 1 Cancel minimised 1 Cancel visible 1 Cancel " ]] ||
  fail "expected one window captioned Quorvel with one Cancel button shown, one hidden and one minimised: $windows"
read -r _ _ _ x y < <(grep '^visible' <<< "$windows")
id=$(xdotool search --onlyvisible --name '^Quorvel$' | head -1)
[[ -n $id ]] && import -window "$id" "$root/$windows_build/quorvel-window.png"
sent_before=$(grep -c "$client >> " "$window/game.txt" || true)
xdotool mousemove "$x" "$y" click 1
expect_exit_0 "$quorvel" "a click on Cancel"
sleep 0.5
sent_after=$(grep -c "$client >> " "$window/game.txt" || true)
((sent_after == sent_before)) || fail "quorvel.exe sent $((sent_after - sent_before)) messages after Cancel"
grep -q "$client disconnected" "$window/game.txt" || fail "the server did not see quorvel.exe go"
probe close hidden
expect_exit_0 "$hidden" "the close command"
echo "windows check: the Quorvel window with its Cancel button was on the screen (and hidden with -h, minimised with -m); a click on Cancel ended the program with 0 and nothing more sent, and so did the close command"

# 3. A message box: nobody listens on the port the whole game's server had.
quorvel_seat unreachable "$work" -p"$game_port"
unreachable=$seat_pid
box=""
for _ in $(seq 1 100); do
  box=$(probe | grep ' 1 OK ' || true)
  [[ -n $box ]] && break
  sleep 0.2
done
[[ -n $box ]] || fail "no message box captioned Quorvel: $(probe)"
id=$(xdotool search --onlyvisible --name '^Quorvel$' | tail -1)
[[ -n $id ]] && import -window "$id" "$root/$windows_build/quorvel-message-box.png"
read -r _ _ _ x y <<< "$box"
xdotool mousemove "$x" "$y" click 1
sleep 1
kill -0 "$unreachable" 2> /dev/null || fail "quorvel.exe ended after the message box's OK"
grep -q 'Failed to connect to Server. Error code' "$work/unreachable/errorlog.txt" ||
  fail "no error logged: $(cat "$work/unreachable/errorlog.txt")"
read -r _ _ _ x y < <(probe | grep '^visible 1 Cancel')
xdotool mousemove "$x" "$y" click 1
expect_exit_0 "$unreachable" "Cancel after the message box"
echo "windows check: without a server, a message box captioned Quorvel said so; after its OK the program waited until Cancel ended it with 0"

# 4. The Windows server, for a Linux player.
served="$work/served"
mkdir -p "$served/seat"
(cd "$served" && exec timeout 120 "$wine" "$root/$windows_build/quorvel-server.exe" -p0 -o1 \
  -kgreedy -y1902 -ggame.txt) > "$served/server.txt" 2>&1 &
server=$!
pids+=($server)
wait_for_port "$served/server.txt"
status=0
(cd "$served/seat" && timeout 120 "$root/$linux_build/quorvel" -i127.0.0.1 -p"$port") \
  > "$served/seat/output.txt" 2>&1 || status=$?
[[ $status == 0 ]] || fail "quorvel ended with $status against quorvel-server.exe"
wait "$server" || fail "quorvel-server.exe failed: $(cat "$served/server.txt")"
tr -d '\r' < "$served/server.txt" | grep -q '^1902:' || fail "the game did not reach 1902"
orders=$(tr -d '\r' < "$served/game.txt" | grep -c ' << THX ' || true)
refused=$(tr -d '\r' < "$served/game.txt" | grep ' << THX ' | grep -vc '( MBV )$' || true)
((orders > 0 && refused == 0)) || fail "quorvel-server.exe took $((orders - refused)) of $orders orders"
echo "windows check: quorvel-server.exe under wine served a game to 1902 to the Linux quorvel; all $orders orders taken"
