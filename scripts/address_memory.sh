#!/usr/bin/env bash
# Memory per address: the peak resident set (VmHWM) of a start with 10 and
# with 100,000 addresses, the console (skarvel-cli --once) and the window
# (skarvel, offscreen), with and without a description per address (which
# also makes every address a known server). Bytes per address are the peaks'
# difference over the addresses' difference.
#
#   scripts/address_memory.sh [BEFORE_BUILD]
#
# The build is $SKARVEL_BUILD (default build/); with BEFORE_BUILD, another
# build (of the commit before a change) is measured in turn with it, and the
# after/before ratios are given. Each program runs until its peak has stood
# still for three seconds, then it is stopped. The settings files are made in
# a scratch folder and removed: loopback addresses on a port nobody listens
# on, so nothing answers; updates off, a long interval.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
after=${SKARVEL_BUILD:-$root/build}
before=${1:-}
rounds=2
small=10
large=100000

scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# write_home FOLDER COUNT DESCRIPTIONS(0|1)
write_home() {
  mkdir -p "$1"
  awk -v n="$2" -v described="$3" 'function host(i) {
      return sprintf("127.%d.%d.%d", 1 + int(i / 64516), 1 + int(i / 254) % 254, 1 + i % 254)
    }
    BEGIN {
      print "[Network]\nCheckUpdates=0\nInterval=600000\nMaxWaitAnswer=50\n\n[Address]"
      for (i = 0; i < n; i++)
        if (described) print host(i) ":27961,q3=1,Server " i ",,,"
        else print host(i) ":27961,q3=1"
      if (described) {
        print "\n[Description]"
        for (i = 0; i < n; i++) print host(i) ":27961,q3=Server " i ",,,,0,1,1,0"
      }
    }' >"$1/skarvel.ini"
}

hwm_kib() {
  awk '/^VmHWM:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true
}

# peak_kib HOME PROGRAM [ARGS...]: the program's peak, once it has ended or
# its peak has stood still for 3 s (then it is stopped); /usr/bin/time reads
# it either way.
peak_kib() {
  local home=$1 figure=$scratch/peak
  shift
  rm -f "$figure"
  (cd "$home" && SKARVEL_HOME=$home QT_QPA_PLATFORM=offscreen \
    exec /usr/bin/time -f %M -o "$figure" "$@" >/dev/null 2>&1) &
  local timer=$! peak=0 still=0 now
  while [ -z "$pid" ] && kill -0 "$timer" 2>/dev/null; do
    pid=$(pgrep -P "$timer" || true)
  done
  while [ "$still" -lt 6 ] && [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.5
    now=$(hwm_kib "$pid")
    if [ "${now:-0}" -gt "$peak" ]; then
      peak=$now
      still=0
    else
      still=$((still + 1))
    fi
  done
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  wait "$timer" 2>/dev/null || true
  pid=
  tail -n 1 "$figure"
}

# lowest_peak HOME PROGRAM [ARGS...]: the lower of the rounds' peaks.
lowest_peak() {
  local best=0 kib
  for _ in $(seq "$rounds"); do
    kib=$(peak_kib "$@")
    if [ "$best" -eq 0 ] || [ "$kib" -lt "$best" ]; then best=$kib; fi
  done
  echo "$best"
}

for described in 0 1; do
  write_home "$scratch/s$described" "$small" "$described"
  write_home "$scratch/l$described" "$large" "$described"
done

builds=("$after")
[ -n "$before" ] && builds=("$before" "$after")

printf '%-8s %-13s %-7s %10s %10s %12s\n' side lists build "peak $small" "peak $large" "B/address"
for front in console window; do
  for described in 0 1; do
    lists=$([ "$described" -eq 1 ] && echo "described" || echo "plain")
    declare -A perAddress=()
    for build in "${builds[@]}"; do
      if [ "$front" = console ]; then
        program=("$build/cli/skarvel-cli" --once)
      else
        program=("$build/app/skarvel")
      fi
      [ -x "${program[0]}" ] || {
        echo "address_memory: ${program[0]} is missing" >&2
        exit 2
      }
      smallKib=$(lowest_peak "$scratch/s$described" "${program[@]}")
      largeKib=$(lowest_peak "$scratch/l$described" "${program[@]}")
      bytes=$(((largeKib - smallKib) * 1024 / (large - small)))
      perAddress[$build]=$bytes
      label=$([ "$build" = "$after" ] && echo after || echo before)
      [ -z "$before" ] && label=this
      printf '%-8s %-13s %-7s %7d KiB %7d KiB %12d\n' "$front" "$lists" "$label" "$smallKib" \
        "$largeKib" "$bytes"
    done
    if [ -n "$before" ]; then
      awk -v a="${perAddress[$after]}" -v b="${perAddress[$before]}" -v f="$front" -v l="$lists" \
        'BEGIN { printf "%-8s %-13s after/before per address: %.2f\n", f, l, a / b }'
    fi
    unset perAddress
  done
done
