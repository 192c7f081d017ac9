#!/usr/bin/env bash
# Builds and runs every test suite: optimised with warnings as errors, then under AddressSanitizer
# and UndefinedBehaviorSanitizer, then for Windows under Wine; first, the layout of the sources. Each phase says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
phase_started=$SECONDS
phase_done() {
  echo "== $1: $((SECONDS - phase_started)) s (total $((SECONDS - started)) s)"
  phase_started=$SECONDS
}
scripts/install-deps.sh
jobs=$(nproc)
# Every source laid out as its folder's .clang-format says.
scripts/check-format.sh
phase_done format
# Everything, as a developer builds it: the install test below packages this build.
echo "== default"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs" >/dev/null
ctest --preset default -j"$jobs"
phase_done default
# Only what the suites run: the C++98 check and the packaging files are the default build's.
echo "== asan"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs" --target vrk_tests >/dev/null
ctest --preset asan -j"$jobs"
phase_done asan
# The install rules and the Debian package, from the default build.
scripts/test-install.sh build/default
phase_done install
# The Windows modules, and the suites under Wine.
scripts/test-windows.sh
phase_done windows
scripts/fuzz.sh 60  # a short fixed-time fuzz run under ASan/UBSan
phase_done fuzz
