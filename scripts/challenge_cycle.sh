#!/usr/bin/env bash
# The first poll cycle over servers that answer with a challenge first, on
# loopback only: for each of csp, css and a2s, COUNT emulated servers (the
# emulator's hosts 127.0.0.2, 127.0.0.3, ..., each on the game's port, two
# players each) are polled from scratch, each address on its own
#   - by skarvel-cli --once --json of this build,
#   - by skarvel-cli --once --json of an earlier build, when
#     SKARVEL_BEFORE_BUILD names its build directory,
#   - by quakestat -P -raw -a2s ADDRESS... (qstat's defaults otherwise), the yardstick,
# in turn, ROUNDS times. Every run must list all COUNT servers with both
# players of each; the script prints the medians of the wall times and their
# ratios to qstat's. The programs use their default wait for an answer (500 ms
# per step) and no update check; the a2s plug-in of each build lies in its
# program folder.
#
#   scripts/challenge_cycle.sh [COUNT] [ROUNDS]    defaults 100 servers, 3 rounds
#
# Exit 0 when every run listed every server and player, 1 otherwise, 2 on a
# bad command line, 77 when quakestat is not installed. As root it runs itself
# in a new network namespace (unshare -n), so port 1024 and the loopback are
# its own. The build directory is $SKARVEL_BUILD (default build/), configured
# and built when needed.
set -euo pipefail

count=${1:-100}
rounds=${2:-3}
players=2
port=27015

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SKARVEL_BUILD:-$root/build}
before=${SKARVEL_BEFORE_BUILD:-}

if ! [[ $count =~ ^[0-9]+$ && $count -ge 1 && $count -le 500 &&
  $rounds =~ ^[0-9]+$ && $rounds -ge 1 && $rounds -le 21 ]]; then
  echo "usage: $0 [COUNT 1..500] [ROUNDS 1..21]" >&2
  exit 2
fi
if ! command -v quakestat >/dev/null; then
  echo "quakestat (Debian package qstat) is not installed: skipped"
  exit 77
fi
if [ -n "$before" ] && ! [ -x "$before/cli/skarvel-cli" ]; then
  echo "no $before/cli/skarvel-cli" >&2
  exit 2
fi

if [ -z "${SKARVEL_CHALLENGE_NETNS:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DSKARVEL_WERROR=ON >/dev/null
  cmake --build "$build" -j2 --target skarvel-cli skarvel_a2s skarvel-fakeserver >/dev/null
  if [ "$(id -u)" -eq 0 ]; then
    export SKARVEL_CHALLENGE_NETNS=1
    exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
  fi
  echo "challenge: not root: using the machine's loopback and port 1024" >&2
fi

work=$(mktemp -d)
emulator=
cleanup() {
  if [ -n "$emulator" ]; then
    kill "$emulator" 2>/dev/null || true
    wait "$emulator" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# start_emulator GAME: COUNT servers, waits for their ready lines.
start_emulator() {
  local game=$1
  : >"$work/ready"
  "$build/tools/skarvel-fakeserver" --game "$game" --port "$port" --hosts "$count" \
    --players "$players" >"$work/ready" 2>"$work/emulator.err" &
  emulator=$!
  for _ in $(seq 200); do
    if [ "$(grep -c '^ready' "$work/ready")" -ge "$count" ]; then
      awk '/^ready/ { print $3 }' "$work/ready" >"$work/addresses"
      return 0
    fi
    sleep 0.05
  done
  echo "$game: the emulator did not get ready" >&2
  cat "$work/emulator.err" >&2
  exit 1
}

stop_emulator() {
  kill "$emulator"
  wait "$emulator" || true
  emulator=
}

# program_folder NAME BUILD GAME: a skarvel.ini of the COUNT addresses only,
# and the build's a2s plug-in beside it.
program_folder() {
  local folder=$work/$1 from=$2 game=$3 address
  mkdir -p "$folder"
  cp "$from/cli/a2s.so" "$folder/"
  {
    printf '[Common]\nVersion=2.5\n[Network]\nCheckUpdates=0\n[Address]\n'
    while read -r address; do
      printf '%s,%s=1\n' "$address" "$game"
    done <"$work/addresses"
  } >"$folder/skarvel.ini"
}

# skarvel_run NAME BUILD GAME: a run from a new program folder;
# prints the milliseconds; the listing must be whole.
skarvel_run() {
  local folder=$work/$1 from=$2 start end listed heard
  rm -rf "$folder"
  program_folder "$@"
  start=$(now_ms)
  SKARVEL_HOME=$folder "$from/cli/skarvel-cli" --once --json >"$work/once.json" 2>"$work/once.err"
  end=$(now_ms)
  listed=$(grep -o '"host":' "$work/once.json" | wc -l)
  heard=$(grep -o '"frags":' "$work/once.json" | wc -l)
  if [ "$listed" -ne "$count" ] || [ "$heard" -ne $((count * players)) ]; then
    echo "$1: $listed of $count servers, $heard of $((count * players)) players" >&2
    failed=1
  fi
  echo $((end - start))
}

# qstat_run: prints the milliseconds; the listing must be whole.
qstat_run() {
  local start end address addresses=() listed heard
  while read -r address; do
    addresses+=(-a2s "$address")
  done <"$work/addresses"
  start=$(now_ms)
  quakestat -P -raw ',' -nh "${addresses[@]}" >"$work/qstat.txt"
  end=$(now_ms)
  listed=$(grep -c '^A2S,127\.[0-9.]*:[0-9]*,Skarvel Test Server' "$work/qstat.txt" || true)
  heard=$(grep -v '^A2S,' "$work/qstat.txt" | grep -c . || true)
  if [ "$listed" -ne "$count" ] || [ "$heard" -ne $((count * players)) ]; then
    echo "qstat: $listed of $count servers, $heard of $((count * players)) players" >&2
    failed=1
  fi
  echo $((end - start))
}

printf '%-4s %10s %10s %10s %14s %14s\n' game before after qstat before/qstat after/qstat
for game in csp css a2s; do
  start_emulator "$game"
  : >"$work/after.ms"
  : >"$work/before.ms"
  : >"$work/qstat.ms"
  for ((round = 0; round < rounds; ++round)); do
    [ -z "$before" ] || skarvel_run before "$before" "$game" >>"$work/before.ms"
    skarvel_run after "$build" "$game" >>"$work/after.ms"
    qstat_run >>"$work/qstat.ms"
  done
  stop_emulator
  after=$(median <"$work/after.ms")
  qstat=$(median <"$work/qstat.ms")
  if [ -n "$before" ]; then
    before_ms=$(median <"$work/before.ms")
    before_ratio=$(awk -v a="$before_ms" -v q="$qstat" 'BEGIN { printf "%.1f", a / q }')
  else
    before_ms=-
    before_ratio=-
  fi
  printf '%-4s %8s ms %7s ms %7s ms %14s %14s\n' "$game" "$before_ms" "$after" "$qstat" \
    "$before_ratio" "$(awk -v a="$after" -v q="$qstat" 'BEGIN { printf "%.2f", a / q }')"
done
exit "$failed"
