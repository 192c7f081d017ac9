#!/usr/bin/env bash
# Builds and runs every test suite: optimised with warnings as errors, then under AddressSanitizer
# and UndefinedBehaviorSanitizer, then for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs" >/dev/null
  ctest --preset "$preset" -j"$jobs"
done
# The install rules and the Debian package, from the default build.
scripts/test-install.sh build/default
# The Windows modules, and the suites under Wine.
scripts/test-windows.sh
scripts/fuzz.sh 60  # a short fixed-time fuzz run under ASan/UBSan
