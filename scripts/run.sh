#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program on its built-in
# simulated programmer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)"
build/release/tests/unit/core/core_test --gtest_brief=1
