#!/usr/bin/env bash
# Runs the integration tests of the normal build (build/release) under
# valgrind memcheck: any invalid access or leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if ! command -v valgrind >/dev/null; then
  echo "valgrind is not installed" >&2
  exit 1
fi
ctest --test-dir "$build" -L integration -j"$(nproc)" --output-on-failure -T memcheck \
  --overwrite MemoryCheckCommand="$(command -v valgrind)" \
  --overwrite MemoryCheckCommandOptions="--error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible --show-leak-kinds=definite,indirect,possible --track-origins=no --num-callers=30"
