#!/usr/bin/env bash
# Benchmark: vrkhost (read + solidify + write) against ezdxf doing the same job, against cp and against
# a durable copy, on generated drawings of about 1, 10 and 100 MB (the 100 MB one also as binary DXF)
# and one whose single block holds 1,000,000 entities; the 1 MB run split into its phases; vrkbatch
# --jobs 1 against a shell loop over vrkhost on 500 small drawings.
#   bench/run.sh [--repeat N] [--skip-ezdxf-above-mb X] [--sizes 1,10,100] [--big-block E] [--batch N]
# Prints Markdown tables, the targets last (also left in build/bench/results.md). Takes about 10 minutes
# on 2 cores, most of it ezdxf; --skip-ezdxf-above-mb 20 extrapolates ezdxf on the large drawings.
# Set VRK_BENCH_BUILD to build somewhere other than build/bench. Not part of the tests or CI.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VRK_BENCH_BUILD:-build/bench}
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

if ! /usr/bin/python3 -c "import ezdxf" 2>/dev/null || [ ! -x /usr/bin/time ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq python3-ezdxf time cmake g++ make libcli11-dev nlohmann-json3-dev >/dev/null
fi
# Optimised as shipped; the test suites are not needed.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVRK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target vrkhost vrkbatch vrksamplegen >/dev/null
exec /usr/bin/python3 bench/bench.py --bin "$build/bin" --data "$build/data" --results "$build/results.md" "$@"
