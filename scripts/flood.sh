#!/usr/bin/env bash
# The flood test: garbage datagrams at a bounded rate, on loopback only, at
# skarvel-cli while it polls three emulated servers (ut, q3, css) once a second.
#
#   scripts/flood.sh [SECONDS] [RATE]     defaults 60 s and 50000 datagrams/s
#
# skarvel-flood sends from the servers' own query endpoints, from other ports
# of their hosts, from hosts whose addresses end alike and from any loopback
# host; nothing it sends is a reply a built-in parser takes. The test measures
# while the flood runs and fails (exit 1) unless:
#   - no server but the three goes online (ghost servers);
#   - no event line (online, offline, entered, left) is printed from the
#     flood's start to a few cycles after its end: the emulated servers run
#     without player churn, so every such line is false;
#   - the cycle period holds: each cycle starts at most 100 ms later than a
#     period after the one before, for 99 % of the cycles (the cycle timer is
#     re-armed when it fires, so each period runs from the last start). Cycle
#     starts are the times of the client's first query of each cycle, read
#     with strace, which traces nothing but the client's sends;
#   - the client's resident memory grows by less than 2 MB.
#
# As root it runs itself in a new network namespace (unshare -n), so the
# loopback, port 1024 and the spoofed sources are its own and no other test on
# the machine is disturbed; sources are spoofed through a raw socket there.
# Without root it uses the machine's loopback and port 1024, and sends from the
# loopback sources it can bind. The build directory is $SKARVEL_BUILD (default
# build/), configured when it does not exist yet. Exit codes: 0 passed,
# 1 failed, 2 a bad command line, 77 skipped (no strace).
set -euo pipefail

seconds=${1:-60}
rate=${2:-50000}
interval_ms=1000
max_lag_ms=100
max_growth_kb=2048
settle_seconds=3

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SKARVEL_BUILD:-$root/build}

if ! [[ $seconds =~ ^[0-9]+$ && $seconds -ge 1 && $seconds -le 600 &&
  $rate =~ ^[0-9]+$ && $rate -ge 1 && $rate -le 200000 ]]; then
  echo "usage: $0 [SECONDS 1..600] [RATE 1..200000]" >&2
  exit 2
fi
# From ctest (SKARVEL_FLOOD_FROM_CTEST=1) the programs are built already, it
# runs only in a namespace of its own, and the cycle lag is reported only.
from_ctest=${SKARVEL_FLOOD_FROM_CTEST:-}
command -v strace >/dev/null || {
  echo "flood: skipped: strace is needed to time the cycles (scripts/setup.sh installs it)"
  exit 77
}
if [ -n "$from_ctest" ] && [ "$(id -u)" -ne 0 ]; then
  echo "flood: skipped: a network namespace of its own needs root"
  exit 77
fi

if [ -z "${SKARVEL_FLOOD_NETNS:-}" ]; then
  if [ -z "$from_ctest" ]; then
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DSKARVEL_WERROR=ON >/dev/null
    cmake --build "$build" -j2 --target skarvel-cli skarvel-fakeserver skarvel-flood >/dev/null
  fi
  if [ "$(id -u)" -eq 0 ]; then
    export SKARVEL_FLOOD_NETNS=1
    exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
  fi
  echo "flood: not root: using the machine's loopback and port 1024, no spoofed sources" >&2
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

# The three servers: game, host, game port, query port.
servers=("ut 127.0.0.1 7777 7778" "q3 127.0.0.2 27960 27960" "css 127.0.0.3 27015 27015")

cat >"$work/skarvel.ini" <<EOF
[Common]
Version=2.5
[Network]
Interval=$interval_ms
MaxWaitAnswer=200
CheckUpdates=0
[Address]
127.0.0.1,ut=1
127.0.0.2,q3=1
127.0.0.3,css=1
EOF

flood_args=()
for server in "${servers[@]}"; do
  read -r game host port query_port <<<"$server"
  "$build/tools/skarvel-fakeserver" --game "$game" --bind "$host" --port "$port" --players 3 \
    >"$work/$game.out" 2>"$work/$game.err" &
  pids+=($!)
  flood_args+=(--server "$host:$query_port")
done
for server in "${servers[@]}"; do
  read -r game _ <<<"$server"
  for _ in $(seq 50); do
    grep -q '^ready' "$work/$game.out" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '^ready' "$work/$game.out" || {
    echo "flood: the $game emulator did not start: $(cat "$work/$game.err")" >&2
    exit 1
  }
done

# strace starts the client and stays its parent; the client's own process id
# is the one the shell wrote before it turned into the client.
strace -f --seccomp-bpf -qq -e trace=sendto -e signal=none -ttt -o "$work/sends" -- \
  sh -c 'echo $$ >"$0/cli.pid"; SKARVEL_HOME="$0" exec "$1"' "$work" "$build/cli/skarvel-cli" \
  >"$work/events" 2>"$work/cli.err" &
pids+=($!)
for _ in $(seq 50); do
  [ -s "$work/cli.pid" ] && break
  sleep 0.1
done
cli=$(cat "$work/cli.pid")

online_lines() { grep -c ' is online$' "$work/events" || true; }
for _ in $(seq 100); do
  [ "$(online_lines)" -ge 3 ] && break
  sleep 0.1
done
if [ "$(online_lines)" -lt 3 ]; then
  echo "flood: the three servers did not come online:" >&2
  cat "$work/events" "$work/cli.err" >&2
  exit 1
fi
sleep "$settle_seconds" # their players' entered lines come with the first commit
baseline=$(wc -l <"$work/events")

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$cli/status"; }
# User and system time in clock ticks (the fields after the command's name).
cpu_ticks() { sed 's/.*) //' "/proc/$cli/stat" | awk '{ print $12 + $13 }'; }
# Datagrams the system dropped because a receive buffer was full (the
# namespace's own count when the test runs in one).
udp_drops() {
  awk '/^Udp:/ { if (!header) { for (i = 1; i <= NF; ++i) column[$i] = i; header = 1 }
                 else print $column["RcvbufErrors"] }' /proc/net/snmp
}
rss_start=$(rss_kb)
cpu_start=$(cpu_ticks)
drops_start=$(udp_drops)
flood_start=$(date +%s.%N)
"$build/tools/skarvel-flood" --rate "$rate" --seconds "$seconds" "${flood_args[@]}" \
  >"$work/flood.out" 2>"$work/flood.err"
flood_end=$(date +%s.%N)
rss_end=$(rss_kb)
cpu_end=$(cpu_ticks)
drops_end=$(udp_drops)
sleep "$settle_seconds" # a silent server would be dropped, and say so, by now
if ! kill -0 "$cli" 2>/dev/null; then
  echo "flood: FAILED: the client ended during the flood:" >&2
  cat "$work/cli.err" >&2
  exit 1
fi
kill -TERM "$cli"
wait "${pids[-1]}" 2>/dev/null || true

echo "flood: $(tail -n 1 "$work/flood.out"); $(cat "$work/flood.err")"
echo "flood: the events before it:"
head -n "$baseline" "$work/events" | sed 's/^/  /'
false_events=$(tail -n +"$((baseline + 1))" "$work/events")
ghosts=$(grep ' is online$' "$work/events" |
  grep -cv -e '(127\.0\.0\.1) is online$' -e '(127\.0\.0\.2) is online$' \
    -e '(127\.0\.0\.3) is online$' || true)
false_count=$(printf '%s' "$false_events" | grep -c . || true)
count_of() { printf '%s\n' "$false_events" | grep -c "$1" || true; }

# The first query of each cycle goes to the first address, 127.0.0.1:7778:
# how much later than a period after the one before each cycle started.
grep 'sin_port=htons(7778), sin_addr=inet_addr("127.0.0.1")' "$work/sends" |
  awk -v from="$flood_start" -v to="$flood_end" -v period="$interval_ms" '
    { t = $2 + 0 }
    t >= from && t <= to {
      if (seen) printf "%.1f\n", (t - last) * 1000 - period
      last = t; seen = 1
    }' | sort -n >"$work/lags"
cycles=$(wc -l <"$work/lags")
if [ "$cycles" -gt 0 ]; then
  p99=$(sed -n "$(((cycles * 99 + 99) / 100))p" "$work/lags")
  worst=$(tail -n 1 "$work/lags")
else
  p99=none worst=none
fi
growth=$((rss_end - rss_start))

echo "flood: $seconds s at $rate datagrams/s"
echo "  ghost servers:          $ghosts"
echo "  false events:           $false_count (online $(count_of ' is online$'), offline" \
  "$(count_of ' is offline$'), entered $(count_of '^Player .* entered '), left" \
  "$(count_of '^Player .* left '))"
echo "  cycle lag:              p99 $p99 ms, worst $worst ms over $cycles periods"
echo "  resident memory:        $rss_start kB -> $rss_end kB (growth $growth kB)"
echo "  client's processor use: $(((cpu_end - cpu_start) * 100 / $(getconf CLK_TCK) / seconds)) %" \
  "of one core, $((drops_end - drops_start)) datagrams dropped by full receive buffers" \
  "(not criteria)"
if [ "$false_count" -gt 0 ]; then
  echo "  the false events:"
  printf '%s\n' "$false_events" | head -n 20 | sed 's/^/    /'
fi

failed=0
[ "$ghosts" -eq 0 ] || failed=1
[ "$false_count" -eq 0 ] || failed=1
if [ -z "$from_ctest" ]; then
  [ "$cycles" -ge $((seconds / 2)) ] || failed=1
  [ "$cycles" -gt 0 ] && awk -v lag="$p99" -v most="$max_lag_ms" 'BEGIN { exit !(lag < most) }' ||
    failed=1
fi
# Under the sanitizers freed memory stays in quarantine: growth says nothing.
[ -n "${SKARVEL_FLOOD_SANITIZED:-}" ] || [ "$growth" -lt "$max_growth_kb" ] || failed=1
if [ "$failed" -ne 0 ]; then
  echo "flood: FAILED" >&2
  exit 1
fi
echo "flood: passed"
