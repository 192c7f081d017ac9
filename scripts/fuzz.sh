#!/usr/bin/env bash
# Fuzzes the drawing-file reader and writer, the emulated database and the solidify command for a fixed
# time (default 60 s) under AddressSanitizer and UndefinedBehaviorSanitizer, with clang's libFuzzer.
#   scripts/fuzz.sh [SECONDS]
# The corpus grows in build/fuzz/corpus; a crash is written to build/fuzz/crashes and fails the run.
# Keep every crash as a named input in tests/fuzz_regressions/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

scripts/install-deps.sh clang libclang-rt-14-dev cmake make

# The fuzz preset: clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
build=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs" >/dev/null

# Seeds: the bundled sample, the regression inputs, small generated drawings, and the real-world
# drawings beside the repository when present (read in place, never copied into it).
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" "$build/crashes"
cp samples/*.dxf tests/fuzz_regressions/*.dxf "$seeds"/ 2>/dev/null || true
gen=$build/bin/vrksamplegen
"$gen" --blocks 1 --entities-per-block 2 --representations 1 --references 1 "$seeds/tiny.dxf"
"$gen" --blocks 2 --entities-per-block 4 --seed 7 "$seeds/small.dxf"
"$gen" --blocks 1 --entities-per-block 3 --big-block 5 --seed 3 "$seeds/big-block.dxf"
"$gen" --blocks 1 --entities-per-block 2 --first-handle 7FFFFFFF00000000 "$seeds/high-handles.dxf"
# Each seed once more as a binary drawing.
for seed in "$seeds"/*.dxf; do
  "$build/bin/dxf_encode" binary "$seed" "${seed%.dxf}.binary.dxf" 2>/dev/null || true
done
dirs=("$build/corpus" "$seeds")
[ -d ../shared/realworld ] && dirs+=(../shared/realworld)
[ -d ../shared/realworld-binary ] && dirs+=(../shared/realworld-binary)

echo "== fuzzing for ${seconds}s"
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/bin/dxf_roundtrip_fuzzer" -max_total_time="$seconds" -max_len=200000 -timeout=30 -rss_limit_mb=4096 \
  -dict=fuzz/dxf.dict -artifact_prefix="$build/crashes/" -print_final_stats=1 "${dirs[@]}" 2>"$build/fuzz.log" || {
  tail -60 "$build/fuzz.log" >&2
  echo "fuzzing found a crash: see $build/crashes/ and $build/fuzz.log" >&2
  exit 1
}
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$build/fuzz.log" || true
