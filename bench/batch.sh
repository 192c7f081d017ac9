#!/usr/bin/env bash
# Benchmark of vrkbatch: a folder of 500 small drawings and one of 20 large ones, each done by
# vrkbatch --jobs 1, a shell loop over vrkhost, vrkbatch --jobs 2 and ezdxf (see bench/batch_bench.py).
#   bench/batch.sh [--repeat N] [--small N] [--large N] [--large-mb X] [--skip-ezdxf]
# The drawings are generated under build/bench/batch (never committed). Takes about 5 minutes on 2
# cores, most of it ezdxf. Not part of the tests or CI.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VRK_BENCH_BUILD:-build/bench}
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
scripts/install-deps.sh cmake g++ make python3-ezdxf libcli11-dev nlohmann-json3-dev
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVRK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target vrkhost vrkbatch vrksamplegen >/dev/null
exec /usr/bin/python3 bench/batch_bench.py --bin "$build/bin" --data "$build/batch" --results "$build/batch-results.md" "$@"
