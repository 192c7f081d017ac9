#!/usr/bin/env bash
# Builds the five modules and the host program, then solidifies the bundled sample drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" >/dev/null
bin=build/default/bin
if [ -f samples/dynblocks.dxf ]; then
  out=build/default/dynblocks-solidified.dxf
  "$bin/vrkhost" --release 2008 samples/dynblocks.dxf -c INFO -c vrk -c "SAVEAS $out" -c INFO
  echo "Written: $out"
else
  "$bin/vrkhost" --release 2008 -c vrk
fi
