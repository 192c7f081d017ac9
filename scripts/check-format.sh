#!/usr/bin/env bash
# Checks that every C++ source is laid out as the .clang-format of its folder says: the plug-in folders
# in the host's classic style (arx/.clang-format), the emulator, the programs and the tests in the modern
# one (.clang-format). With --fix, formats them in place instead.
#   scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-format
mode=(--dry-run -Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --style=file "${mode[@]}"
