#!/usr/bin/env bash
# Installs what is needed, builds the desktop program and starts it on the
# built-in simulated programmer, in build/desktop/ with the sample device
# library and burn files. The virtual chip is kept in build/desktop/chip.sim.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEROLITH_GUI=ON >/dev/null
cmake --build build/release -j"$(nproc)" --target ferolith
mkdir -p build/desktop
cp -n resources/ACELIST.CSV resources/samples/blink.hex resources/samples/blink.rex build/desktop/ 2>/dev/null || true
cd build/desktop
exec ../release/gui/ferolith --simulate=chip.sim "$@"
