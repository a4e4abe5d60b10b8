#!/usr/bin/env bash
# Builds the parser fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one, starting from its seeds.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# A finding stops the run; its input lands in build-fuzz/findings/. Copy it to
# tests/fuzz/regressions/<protocol>/ so every build replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-8}
shift || true
protocols=("$@")
((${#protocols[@]})) || protocols=(ut u4 q2 q3 cs csp css)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSKARVEL_GUI=OFF -DSKARVEL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${protocols[@]/#/fuzz_}"

mkdir -p build-fuzz/findings
for protocol in "${protocols[@]}"; do
  work=$(mktemp -d)
  cp tests/fuzz/corpus/"$protocol"/* "$work"/
  echo "== fuzz_$protocol for ${seconds}s"
  build-fuzz/tests/fuzz/fuzz_"$protocol" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/"$protocol"- "$work" 2>&1 |
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Test unit written' || true
  status=${PIPESTATUS[0]}
  rm -rf "$work"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$protocol found a failure (see build-fuzz/findings/)" >&2
    exit 1
  fi
done
