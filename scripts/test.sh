#!/usr/bin/env bash
# Checks the formatting of every C and C++ file, then builds Skarvel twice
# and runs every test: the full build (programs, window tests and end-to-end
# tests on the offscreen platform) and the core alone, without Qt, under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the Debian package is
# built, checked, installed, tried and removed (scripts/package_check.sh);
# then a short run of every parser fuzz target, after a check that a fuzz
# target's finding does fail that run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh

jobs=$(nproc)
# Installed under /usr, as the package is.
cmake -S . -B build -DSKARVEL_WERROR=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build -j"$jobs"
cmake -S . -B build-core -DSKARVEL_GUI=OFF -DSKARVEL_SANITIZE=ON -DSKARVEL_WERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build-core -j"$jobs"

ctest --test-dir build --output-on-failure -j"$jobs"
ctest --test-dir build-core --output-on-failure -j"$jobs"
timeout 1800 scripts/package_check.sh build

tests/fuzz/fuzz_script_selftest.sh
scripts/fuzz.sh 8
