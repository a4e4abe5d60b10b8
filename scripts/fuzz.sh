#!/usr/bin/env bash
# Builds the parser fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one, starting from its seeds.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# A finding stops the run with exit code 1; its input lands in
# build-fuzz/findings/. Copy it to tests/fuzz/regressions/<protocol>/ so every
# build replays it from then on. (tests/fuzz/fuzz_script_selftest.sh shows that
# a finding fails the run, with a target that crashes on purpose.)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-8}
shift || true
protocols=("$@")
((${#protocols[@]})) || protocols=(ut u4 q2 q3 cs csp css a2s)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSKARVEL_GUI=OFF -DSKARVEL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${protocols[@]/#/fuzz_}"

# The lines worth reading of a target's output. Its own status (1 when no line
# matched) must not count: with pipefail the pipeline's status is the target's.
summary() {
  grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Test unit written' || true
}

mkdir -p build-fuzz/findings
for protocol in "${protocols[@]}"; do
  work=$(mktemp -d)
  seeds=tests/fuzz/corpus/$protocol
  if [ -d "$seeds" ]; then cp "$seeds"/* "$work"/; fi
  echo "== fuzz_$protocol for ${seconds}s"
  status=0
  build-fuzz/tests/fuzz/fuzz_"$protocol" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/"$protocol"- "$work" 2>&1 | summary || status=$?
  rm -rf "$work"
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$protocol found a failure (exit code $status; see build-fuzz/findings/)" >&2
    exit 1
  fi
done
