#!/usr/bin/env bash
# The window's weight against an empty Qt Widgets program with a tray icon:
# start-up to the first datagram, resident memory with 100 online servers and
# X11 requests per quiet poll cycle (bench_window_footprint). Gives it an X
# display of its own (Xvfb) with a tray host (trayer); as root, also a network
# namespace of its own (unshare -n), so port 1024 and the loopback are its own.
# The build directory is $SKARVEL_BUILD (default build/).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SKARVEL_BUILD:-$root/build}

if [ -z "${SKARVEL_FOOTPRINT_NETNS:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" -j2 --target bench_window_footprint >/dev/null
  if [ "$(id -u)" -eq 0 ]; then
    export SKARVEL_FOOTPRINT_NETNS=1
    exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
  fi
  echo "footprint: not root: using the machine's loopback and port 1024" >&2
fi

for tool in Xvfb trayer; do
  command -v "$tool" >/dev/null || {
    echo "footprint: $tool is missing (scripts/setup.sh xvfb trayer xtrace)" >&2
    exit 2
  }
done

pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap cleanup EXIT

display=:96
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do
  [ -S /tmp/.X11-unix/X${display#:} ] && break
  sleep 0.1
done
trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

"$build/bench/bench_window_footprint"
