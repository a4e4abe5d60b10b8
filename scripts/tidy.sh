#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every file of ours that
# a build compiles, as its compile_commands.json lists them; fails on any
# finding.
#   scripts/tidy.sh [BUILD_DIR]   (default: build, as scripts/test.sh makes it)
# The build must have run once: the window tests include files moc generates.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}

if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: no $build/compile_commands.json; configure and build first" >&2
  exit 2
fi

# Our folders only, never the generated files under the build folder.
ours="^$root/(app|bench|cli|config|dialogs|games|model|platform|plugins|poll|protocols|tests|tools|tray|update|util)/"
run-clang-tidy -p "$build" -j "$(nproc)" -quiet -header-filter="$ours" "$ours"
echo "tidy: no findings"
