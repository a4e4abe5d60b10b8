#!/usr/bin/env bash
# scripts/fuzz.sh must fail when a fuzz target finds a crash. Runs it on
# fuzz_crash_demo, which reads past a buffer for inputs starting with "BUG",
# and expects a non-zero exit with the finding on disk.
set -euo pipefail
cd "$(dirname "$0")/../.."

rm -f build-fuzz/findings/crash_demo-*
if scripts/fuzz.sh 60 crash_demo; then
  echo "FAIL: scripts/fuzz.sh passed although fuzz_crash_demo crashed" >&2
  exit 1
fi
if ! compgen -G 'build-fuzz/findings/crash_demo-crash-*' >/dev/null; then
  echo "FAIL: scripts/fuzz.sh failed, but not on a finding of fuzz_crash_demo" >&2
  exit 1
fi
rm -f build-fuzz/findings/crash_demo-*
echo "ok: scripts/fuzz.sh fails on a finding"
