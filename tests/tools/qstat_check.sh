#!/usr/bin/env bash
# Checks that qstat, an independent query client, reads what the emulator
# serves: for every game qstat speaks, the server name, map, player counts
# and player names the emulator was started with.
#
# Usage: qstat_check.sh path/to/skarvel-fakeserver
# Exit codes: 0 all read correctly, 1 a mismatch, 77 quakestat not installed.
set -u

emulator=${1:?usage: qstat_check.sh path/to/skarvel-fakeserver}
if ! command -v quakestat >/dev/null; then
  echo "quakestat (Debian package qstat) is not installed: skipped"
  exit 77
fi

failures=0
players=3
max=12

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# Starts the emulator and waits for its ready line; tries further ports when
# one is taken. Sets EMULATOR (coproc) and port.
start_emulator() {
  local game=$1 first_port=$2
  local attempt line
  for attempt in 0 1 2 3 4; do
    port=$((first_port + attempt * 100))
    coproc EMULATOR {
      exec "$emulator" --game "$game" --port "$port" --name "Qstat $game" --map "map_$game" \
        --players "$players" --max "$max" 2>&1
    }
    line=""
    read -r -t 5 -u "${EMULATOR[0]}" line || true
    if [[ $line == "ready $game "* ]]; then
      return 0
    fi
    kill "$EMULATOR_PID" 2>/dev/null
    wait "$EMULATOR_PID" 2>/dev/null
  done
  fail "$game: the emulator did not get ready (last output: $line)"
  return 1
}

# check GAME QSTAT_TYPE PORT PLAYER
# PLAYER: an ASCII name among the first players, as qstat shows it (Quake 3
# colour codes removed).
check() {
  local game=$1 type=$2 first_port=$3 player=$4
  start_emulator "$game" "$first_port" || return
  # qstat adds the game's query port offset itself, so it gets the game port.
  local output
  output=$(quakestat -raw ',' -P -nh -retry 2 -interval 1 "$type" "127.0.0.1:$port")
  kill "$EMULATOR_PID"
  wait "$EMULATOR_PID"

  local kind address name map got_max got_players rest
  IFS=',' read -r kind address name map got_max got_players rest <<<"$(head -n 1 <<<"$output")"
  local player_lines
  player_lines=$(tail -n +2 <<<"$output" | grep -c .)
  echo "$game ($type): $(head -n 1 <<<"$output")"
  [[ $name == "Qstat $game" ]] || fail "$game: name '$name'"
  [[ $map == "map_$game" ]] || fail "$game: map '$map'"
  [[ $got_max == "$max" ]] || fail "$game: maximum players '$got_max'"
  [[ $got_players == "$players" ]] || fail "$game: players '$got_players'"
  [[ $player_lines == "$players" ]] || fail "$game: $player_lines player lines"
  grep -q "^$player," <<<"$output" || fail "$game: player $player not listed"
}

check ut -uns 47310 Sarge
check u4 -ut2s 47320 Sarge
check q2 -q2s 47330 Sarge
check q3 -q3s 47340 RedBaron
check cs -hls 47350 Sarge
check csp -a2s 47360 Sarge
check css -a2s 47370 Sarge

if ((failures > 0)); then
  echo "$failures mismatches"
  exit 1
fi
echo "qstat read every game correctly"
