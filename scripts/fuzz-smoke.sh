#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan + UBSan and runs each
# for the given number of seconds (default 30) over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DFEROLITH_FUZZ=ON -DFEROLITH_GUI=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)"

shopt -s nullglob
targets=(build/fuzz/tests/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built"
  exit 0
fi
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="tests/fuzz/corpus/${name#fuzz_}"
  work="build/fuzz/corpus/${name#fuzz_}"
  mkdir -p "$work"
  echo "-- $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "$seeds" 2>&1 | tail -n 12
done
