#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from what the project's
# .clang-format makes of it; `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "format: every C and C++ file is formatted"
