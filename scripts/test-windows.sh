#!/usr/bin/env bash
# The Windows build, tested under wine:
#   1. installs the mingw-w64 compilers (posix threads), wine and the
#      GoogleTest sources when they are missing,
#   2. builds GoogleTest for mingw from /usr/src/googletest (kept in
#      build/windows/ for the next run),
#   3. builds every target but the Qt desktop program, with the tests, for
#      64-bit Windows (x86_64-w64-mingw32),
#   4. runs the unit and integration tests under wine and prints every
#      skipped test with its reason,
#   5. runs ferolith-cli.exe's simulator cycle under wine and compares the
#      files it writes, byte for byte, with those of the Linux build,
#   6. builds ferolith-cli.exe and the fake port DLL for 32-bit Windows
#      (i686-w64-mingw32): compiled and linked, not run.
# Usage: scripts/test-windows.sh [LINUX_BUILD_DIR]  (default build/release;
# its ferolith-cli is built when missing). Builds share the ccache.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=$(realpath -m "${1:-build/release}")
windows=build/windows
jobs=$(nproc)
started=$SECONDS
step() { echo "== windows: $* ($((SECONDS - started)) s)"; }

scripts/install-deps.sh g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine googletest \
  libcli11-dev cmake ninja-build ccache nsis imagemagick
# The 32-bit wine of Debian's i386 architecture (about 150 MB, 136 packages
# without the recommended ones): the installer, an NSIS program, is 32-bit.
if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  step "the 32-bit wine"
  dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 \
    wine32:i386 >/dev/null
fi

# CLI11 is header-only; the cross build takes it from a folder that holds
# nothing else, away from the build machine's own headers.
mkdir -p "$windows/deps/include"
rm -rf "$windows/deps/include/CLI" && cp -r /usr/include/CLI "$windows/deps/include/"

configure() {  # ARCH [CMAKE OPTIONS]
  local arch=$1
  shift
  local toolchain=$root/cmake/toolchains/$arch-w64-mingw32.cmake
  local gtest=$root/$windows/gtest-$arch
  local tests=(-DGTest_DIR="$gtest/lib/cmake/GTest")
  [[ " $* " != *" -DFEROLITH_TESTS=OFF "* ]] || tests=()
  if [ ${#tests[@]} -gt 0 ] && [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    step "GoogleTest for $arch"
    cmake -S /usr/src/googletest -B "$windows/gtest-build-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
    cmake --build "$windows/gtest-build-$arch" -j"$jobs" >/dev/null
    cmake --install "$windows/gtest-build-$arch" >/dev/null
  fi
  cmake -S . -B "$windows/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEROLITH_GUI=OFF -DFEROLITH_BENCH=OFF \
    -DFEROLITH_CLI11_INCLUDE="$root/$windows/deps/include" "${tests[@]}" "$@" >/dev/null
}

# The fake port DLL exports the undecorated names of the real one.
check_exports() {  # ARCH DLL
  local exports
  exports=$("$1-w64-mingw32-objdump" -p "$2" | sed -n '/Ordinal\/Name Pointer/,/^$/p')
  for name in Inp32 Out32 IsInpOutDriverOpen; do
    grep -qE "\] $name\$" <<<"$exports" || { echo "$2 does not export $name"; echo "$exports"; exit 1; }
  done
}

step "build for x86_64"
configure x86_64
cmake --build "$windows/x86_64" -j"$jobs"
check_exports x86_64 "$windows/x86_64/tests/fake-inpout/inpoutx64.dll"

# A wine prefix of our own, without a display: the desktop marks are
# hidden windows, which wine's null graphics driver carries.
export WINEPREFIX=$root/$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A prefix made before the 32-bit wine was there has no SysWOW64: made anew.
[ -n "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ] || rm -rf "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "wine prefix"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
fi
# One wine server for the whole step, started before anything runs: a
# server that a test program starts would inherit ctest's pipes and keep it
# waiting, and one that is still ending (from an earlier run) refuses the
# next programs. So: end any server of this prefix, wait for it, start a
# persistent one, and run a first program, detached, to its end.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
setsid wine cmd /c exit </dev/null >/dev/null 2>&1 &
wait

step "tests under wine"
ctest --test-dir "$windows/x86_64" -j"$jobs" --timeout 300 --output-on-failure >"$windows/ctest.log" \
  || { cat "$windows/ctest.log"; exit 1; }
grep -E '% tests passed|Total Test time' "$windows/ctest.log"
echo "Skipped under wine, with their reasons:"
awk '/: Skipped$/ { getline reason; getline name
       sub(/^\[  SKIPPED \] /, "", name); sub(/ \([0-9]+ ms\)$/, "", name)
       print "  " name ": " reason }' "$windows/x86_64/Testing/Temporary/LastTest.log" | sort

step "simulator cycle, Windows against Linux"
[ -x "$linux_build/cli/ferolith-cli" ] || cmake --build "$linux_build" -j"$jobs" --target ferolith-cli
cycle() {  # DIR PROGRAM...
  local dir=$1
  shift
  rm -rf "$dir" && mkdir -p "$dir"
  cp resources/ACELIST.CSV resources/samples/blink.hex resources/samples/blink.rex "$dir"/
  (
    cd "$dir"
    export XDG_RUNTIME_DIR=$root/$windows/cycle-marks
    local sim=(--simulate=chip.sim --manufacturer "Quellmark Halbleiter" --device QM1108-2KE -y)
    {
      "$@" devices
      "$@" "${sim[@]}" blank
      "$@" "${sim[@]}" program blink.hex
      "$@" "${sim[@]}" verify blink.hex
      for format in bin intel8 intel32 intelmcs s1 s2 s3; do
        "$@" "${sim[@]}" --format "$format" read "readback-$format.out"
      done
      "$@" --device 1 --format s3 convert blink.hex converted.s37
      "$@" initreg 3f
    } >console.txt 2>&1
  )
}
cycle "$windows/cycle-linux" "$linux_build/cli/ferolith-cli"
cycle "$windows/cycle-windows" wine "$root/$windows/x86_64/cli/ferolith-cli.exe"
# The console ends its lines with CR LF on Windows; KALVENOR.INI, written
# anew, takes the platform's line ends, and its default DataPath is C:\ there
# (the working directory on Linux). Everything else must be the same.
sed -i 's/\r$//' "$windows/cycle-windows/console.txt" "$windows/cycle-windows/KALVENOR.INI"
sed -i '/^DataPath=/d' "$windows"/cycle-*/KALVENOR.INI
diff -r "$windows/cycle-linux" "$windows/cycle-windows"
echo "identical: $(cd "$windows/cycle-linux" && ls | tr '\n' ' ')"

step "build for i686 (compile and link only)"
configure i686 -DFEROLITH_TESTS=OFF
cmake --build "$windows/i686" -j"$jobs" --target ferolith-cli
# The fake DLL alone, as tests/CMakeLists.txt builds it for a 32-bit test
# run: the undecorated stdcall names are what differs from 64 bits.
i686-w64-mingw32-g++-posix -std=c++20 -O2 -shared -static -Wl,--kill-at \
  tests/support/fake-inpout/FakeInpOut.cpp -o "$windows/i686/inpout32.dll"
check_exports i686 "$windows/i686/inpout32.dll"

scripts/test-windows-users.sh "$windows"

step "done"
