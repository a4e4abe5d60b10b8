#!/usr/bin/env bash
# Builds Skarvel and starts it on its demo: emulated servers of all seven game
# types on loopback (some as several hosts behind the loopback broadcast
# address, with players coming and going), a Source server of today for the
# a2s plug-in (challenges, a player list split over several datagrams), and a
# demo program folder whose settings list only them (written on the first
# run; later runs keep the user's changes). The program folder holds
# the a2s and history plug-ins; history.db there records every poll, and a
# new one starts with a made-up week of the UT server (see View › Server
# history). Two servers have tray icons of their own, and two announce
# players coming and going (balloons, or desktop notifications where the
# desktop has a notification service). Two of the emulated players are
# buddies, announced wherever they join. Without a display the console front
# end runs instead of the window. Ctrl+C (or closing Skarvel) stops everything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target skarvel skarvel-cli skarvel-fakeserver skarvel_chime \
  skarvel_a2s history

# SKARVEL_DEMO_HOME: another program folder, as the demo's test uses.
home="${SKARVEL_DEMO_HOME:-$PWD/demo-home}"
# Its settings: written once, kept on later runs (see the script).
scripts/demo-home.sh "$home"

# The notification sound played when a server gets its first players.
cp build/app/users.wav "$home/"
# The shipped languages; Settings › Application › Language switches between them.
cp build/app/English.lng build/app/Deutsch.lng "$home/"
# The game plug-in of today's Source servers, and the player history.
cp build/cli/a2s.so build/cli/history.so "$home/"
scripts/seed-demo-history.sh "$home/history.db"

fake=build/tools/skarvel-fakeserver
pids=()
stop() {
  trap - EXIT INT TERM
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap stop EXIT INT TERM

# The emulators log their players coming and going to demo-home/emulators.log.
start() {
  "$fake" "$@" >/dev/null 2>>"$home/emulators.log" &
  pids+=($!)
}
start --game ut --port 7777 --name "Deck Party" --players 4 --churn 9 --seed 1
start --game u4 --port 7787 --name "Rankin Brawl" --players 6 --churn 13 --seed 2
start --game q2 --port 27910 --name "Q2 Base Camp" --players 3 --seed 3
start --game q3 --port 27960 --hosts 3 --name "^1Rail^7Arena" --players 5 --churn 11 --seed 4
start --game cs --port 27015 --name "Office Classic" --players 8 --churn 17 --seed 5
start --game csp --port 27016 --name "Dust Patch" --players 2 --churn 23 --seed 6
start --game css --port 27017 --hosts 2 --name "Source Dust" --players 10 --churn 7 --seed 7
# A dozen players with clan tags make a player list of three 200-byte parts.
start --game a2s --port 27020 --name "Fortress of Today" --players 12 --churn 19 --split 200 \
  --seed 8

export SKARVEL_HOME="$home"
echo "Program folder: $home"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/app/skarvel "$@"
else
  echo "No display: the console front end prints the events. Ctrl+C ends the demo."
  build/cli/skarvel-cli "$@"
fi
