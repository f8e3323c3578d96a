#!/usr/bin/env bash
# Installs what is needed, then builds and runs the whole suite:
#   1. the normal build with every test (unit, integration, gui), and the
#      hardware acceptance script on the simulator (scripts/bench-check-test.sh),
#   2. the port backends of that build against the real Linux parallel-port
#      drivers, in Debian's kernel under QEMU (scripts/test-kernel.sh; skipped
#      with the reason when QEMU or the kernel package cannot be had),
#   2a. the Windows build with mingw-w64, its tests and the CLI's simulator
#      cycle under wine, compared with this build (scripts/test-windows.sh),
#   3. the Debian package of that build, checked, installed, tried and
#      removed again (scripts/package-test.sh),
#   4. the integration tests of that build under valgrind memcheck,
#   5. the same under AddressSanitizer + UndefinedBehaviorSanitizer,
#   6. a short smoke run of every fuzz target (clang, libFuzzer).
# Build folders live under build/ and share a ccache between runs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export QT_QPA_PLATFORM=offscreen

echo "== normal build"
# The install prefix of the package, so that packaging rebuilds nothing.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEROLITH_GUI=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release -j"$jobs"

echo "== hardware acceptance run on the simulator"
scripts/bench-check-test.sh build/release

echo "== kernel drivers in QEMU"
scripts/test-kernel.sh build/release

echo "== Windows build under wine"
windows_started=$SECONDS
scripts/test-windows.sh build/release
echo "Windows step: $((SECONDS - windows_started)) s"

echo "== Debian package"
scripts/package-test.sh

echo "== integration tests under valgrind memcheck"
scripts/valgrind.sh build/release

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFEROLITH_SANITIZE=ON -DFEROLITH_GUI=ON >/dev/null
cmake --build build/asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  ctest --test-dir build/asan -j"$jobs"

echo "== fuzz smoke"
scripts/fuzz-smoke.sh "${FUZZ_SECONDS:-30}"
