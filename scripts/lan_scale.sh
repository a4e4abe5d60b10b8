#!/usr/bin/env bash
# A large LAN on loopback only: HOSTS emulated Quake 3 servers (two players
# each, no churn) behind the broadcast address 127.255.255.255, polled by
#   1. skarvel-cli --json, three rounds: how many of the HOSTS each lists;
#   2. skarvel-cli in event mode for SECONDS;
#   3. the window (offscreen, -debug) for SECONDS.
# Runs 2 and 3 poll once a second with 200 ms for the answers. Each counts the
# hosts heard in every complete cycle (distinct senders of the replies in the
# -debug trace) and the event lines (printed by skarvel-cli, logged to
# stats.txt by the window): HOSTS online and two entered lines per host in the
# first cycle, then none, since nothing changes on the servers; any offline or
# left line, and any line past those, is a false event.
#
#   scripts/lan_scale.sh [HOSTS] [SECONDS]    defaults 1000 hosts, 60 s
#
# Exit 0 when every cycle of every run heard all HOSTS and no false event
# was reported, 1 otherwise, 2 on a bad command line. As root it runs itself
# in a new network namespace (unshare -n), so port 1024 and the loopback are
# its own; otherwise it uses the machine's. The build directory is
# $SKARVEL_BUILD (default build/), configured and built when needed.
#
# With SKARVEL_RMEM_MAX=BYTES the clients run under tools/rmemcap, which caps
# their receive buffer there and refuses SO_RCVBUFFORCE, as net.core.rmem_max
# does for an ordinary user: what such a user gets where the sysctl cannot be
# set for the test (212992 is Debian's default).
set -euo pipefail

hosts=${1:-1000}
seconds=${2:-60}
port=27960
players=2

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SKARVEL_BUILD:-$root/build}

if ! [[ $hosts =~ ^[0-9]+$ && $hosts -ge 1 && $hosts -le 4000 &&
  $seconds =~ ^[0-9]+$ && $seconds -ge 5 && $seconds -le 600 ]]; then
  echo "usage: $0 [HOSTS 1..4000] [SECONDS 5..600]" >&2
  exit 2
fi

if [ -z "${SKARVEL_LAN_NETNS:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DSKARVEL_WERROR=ON >/dev/null
  cmake --build "$build" -j2 --target skarvel skarvel-cli skarvel-fakeserver skarvel-rmemcap >/dev/null
  if [ "$(id -u)" -eq 0 ]; then
    export SKARVEL_LAN_NETNS=1
    exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
  fi
  echo "lan: not root: using the machine's loopback and port 1024" >&2
fi

# The clients' environment: the cap on their receive buffer, when asked for.
clients=()
if [ -n "${SKARVEL_RMEM_MAX:-}" ]; then
  clients=(env LD_PRELOAD="$build/tools/skarvel-rmemcap.so" SKARVEL_RMEM_MAX="$SKARVEL_RMEM_MAX")
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

: >"$work/ready"
"$build/tools/skarvel-fakeserver" --game q3 --port "$port" --hosts "$hosts" \
  --players "$players" >"$work/ready" 2>"$work/emulator.err" &
pids+=($!)
for _ in $(seq 100); do
  [ "$(wc -l <"$work/ready")" -ge "$hosts" ] && break
  sleep 0.1
done
if [ "$(wc -l <"$work/ready")" -lt "$hosts" ]; then
  echo "lan: the emulator did not get ready: $(cat "$work/emulator.err")" >&2
  exit 1
fi

# A program folder with only the broadcast address; answer wait in ms.
home() {
  mkdir -p "$work/$1"
  printf '%s\n' "[Common]" "Version=2.5" "[Network]" "Interval=1000" "MaxWaitAnswer=$2" \
    "CheckUpdates=0" "Stats=1" "[Appearance]" "StartInTray=0" "PopupMessages=0" \
    "[Address]" "127.255.255.255:$port,q3=1" >"$work/$1/skarvel.ini"
  echo "$work/$1"
}

# The number of distinct senders in each complete cycle of a trace. The trace
# rotates at 10 MiB: when skarvel.err.1 does not begin where the program
# started (its receive buffer line), its first cycle is cut and not counted.
cycles() {
  local traces=()
  for trace in "$1/skarvel.err.1" "$1/skarvel.err"; do
    [ -f "$trace" ] && traces+=("$trace")
  done
  LC_ALL=C awk '
    FNR == 1 && NR == 1 { whole = FILENAME !~ /[.]err[.]1$/ }
    / UDP receive buffer / { whole = 1; delete heard; next }
    /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9][.][0-9][0-9][0-9]  </ {
      split(substr($0, 16), sender, " "); heard[sender[1]] = 1; next }
    /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9][.][0-9][0-9][0-9] =+$/ && length($0) == 45 {
      n = 0; for (s in heard) n++; if (whole) printf "%d ", n; whole = 1; delete heard }' \
    "${traces[@]}"
}

# The trace line on the receive buffer, as NAME: ..., or a note when the
# trace has rotated it away.
buffer_line() {
  local line
  line=$(cat "$2/skarvel.err.1" "$2/skarvel.err" 2>/dev/null | grep -a -m1 ' UDP receive buffer' ||
    true)
  if [ -n "$line" ]; then
    echo "$1: ${line#* }"
  else
    echo "$1: the receive buffer line has rotated out of the trace"
  fi
}

failed=0
# Checks the cycles of a trace and the event lines of a run; prints the figures.
judge() {
  local name=$1 folder=$2 events=$3
  local counts short online entered other
  counts=$(cycles "$folder")
  short=$(echo "$counts" | tr ' ' '\n' | awk -v n="$hosts" 'NF && $1 != n' | wc -l)
  online=$(grep -c ' is online$' "$events" || true)
  entered=$(grep -c '^Player .* entered ' "$events" || true)
  other=$(grep -v -c -e ' is online$' -e '^Player .* entered ' "$events" || true)
  echo "$name: $(echo "$counts" | wc -w) cycles, hosts heard per cycle: min $(echo "$counts" |
    tr ' ' '\n' | sort -n | awk 'NF' | head -1), cycles short of $hosts: $short;" \
    "events: $online online, $entered entered, $other other"
  if [ "$short" -ne 0 ] || [ "$online" -ne "$hosts" ] ||
    [ "$entered" -ne $((hosts * players)) ] || [ "$other" -ne 0 ]; then
    failed=1
  fi
}

folder=$(home once 1000)
for round in 1 2 3; do
  SKARVEL_HOME=$folder "${clients[@]}" "$build/cli/skarvel-cli" --json -debug >"$work/once.json"
  listed=$(grep -o '"host":' "$work/once.json" | wc -l)
  echo "--once round $round: $listed of $hosts listed"
  [ "$listed" -eq "$hosts" ] || failed=1
done
buffer_line skarvel-cli "$folder"


folder=$(home events 200)
SKARVEL_HOME=$folder "${clients[@]}" "$build/cli/skarvel-cli" -debug >"$work/events.out" &
pids+=($!)
sleep "$seconds"
kill -INT "${pids[-1]}"
wait "${pids[-1]}" || true
judge "skarvel-cli, $seconds s" "$folder" "$work/events.out"

folder=$(home window 200)
SKARVEL_HOME=$folder QT_QPA_PLATFORM=offscreen "${clients[@]}" "$build/app/skarvel" -debug \
  >/dev/null 2>"$work/window.err" &
pids+=($!)
sleep "$seconds"
kill -TERM "${pids[-1]}"
wait "${pids[-1]}" || true
buffer_line window "$folder"
# stats.txt stamps each line with date and time.
cut -d' ' -f3- "$folder/stats.txt" | grep -v '^Program ' >"$work/window.events"
judge "window, $seconds s" "$folder" "$work/window.events"

[ "$failed" -eq 0 ] && echo "lan: passed" || echo "lan: FAILED"
exit "$failed"
