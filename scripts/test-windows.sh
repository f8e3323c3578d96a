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
#   6. drives the Win32 desktop program ferolith.exe on the simulator with
#      its test driver (tests/win32/), then takes the screenshots
#      (docs/win32-*.png) under Xvfb with wine's X11 driver,
#   7. builds everything of step 3 for 32-bit Windows (i686-w64-mingw32),
#      with its own GoogleTest, and runs those tests and drives that
#      ferolith.exe too where wine's 32-bit half (wine32:i386) is installed.
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
  libcli11-dev cmake ninja-build ccache nsis imagemagick xvfb xauth
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

configure() {  # ARCH
  local arch=$1
  local toolchain=$root/cmake/toolchains/$arch-w64-mingw32.cmake
  local gtest=$root/$windows/gtest-$arch
  if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    step "GoogleTest for $arch"
    cmake -S /usr/src/googletest -B "$windows/gtest-build-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
    cmake --build "$windows/gtest-build-$arch" -j"$jobs" >/dev/null
    cmake --install "$windows/gtest-build-$arch" >/dev/null
  fi
  cmake -S . -B "$windows/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFEROLITH_GUI=OFF -DFEROLITH_BENCH=OFF \
    -DFEROLITH_CLI11_INCLUDE="$root/$windows/deps/include" \
    -DFEROLITH_TESTS=ON -DGTest_DIR="$gtest/lib/cmake/GTest" >/dev/null
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
  # A crashing program ends instead of waiting in a dialog nobody sees.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
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

# The unit and integration tests of one build under wine, with every
# skipped test and its reason.
run_tests() {  # ARCH
  local build=$windows/$1
  ctest --test-dir "$build" -j"$jobs" --timeout 300 --output-on-failure >"$build/ctest.log" \
    || { cat "$build/ctest.log"; exit 1; }
  grep -E '% tests passed|Total Test time' "$build/ctest.log"
  echo "Skipped under wine ($1), with their reasons:"
  awk '/: Skipped$/ { getline reason; getline name
         sub(/^\[  SKIPPED \] /, "", name); sub(/ \([0-9]+ ms\)$/, "", name)
         print "  " name ": " reason }' "$build/Testing/Temporary/LastTest.log" | sort
}

step "tests under wine"
run_tests x86_64

step "desktop program under wine"
# The driver starts ferolith.exe itself, in fresh folders below its work
# folder; the programs' output goes to the log, so that nothing they leave
# behind holds this script's pipes.
driver=(wine "$root/$windows/x86_64/tests/win32/ferolith-desktop-driver.exe"
        "$root/$windows/x86_64/win32/ferolith.exe")
rm -rf "$windows/desktop" && mkdir -p "$windows/desktop"
timeout 600 "${driver[@]}" "$root/$windows/desktop" "$root/resources" >"$windows/desktop/driver.log" 2>&1 \
  || { cat "$windows/desktop/driver.log"; exit 1; }
grep -v '^wine: ' "$windows/desktop/driver.log"

step "screenshots of the desktop program (Xvfb, wine's X11 driver)"
# The graphics driver is chosen when the wine server starts: end it, switch
# to X11 for the pictures, and back to the null driver afterwards.
graphics() {  # DRIVER
  wineserver -k 2>/dev/null || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$1" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
}
graphics x11
# Without a window manager on the Xvfb display wine draws the caption bars.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w
trap 'graphics null; wineserver -k 2>/dev/null || true' EXIT
mkdir -p "$windows/desktop/pictures"
timeout 600 xvfb-run -a -s "-screen 0 1024x768x24" "${driver[@]}" "$root/$windows/desktop" "$root/resources" \
  "$root/$windows/desktop/pictures" >"$windows/desktop/screenshots.log" 2>&1 \
  || { cat "$windows/desktop/screenshots.log"; exit 1; }
# docs/win32-*.png are these pictures (copied by hand when they change).
for picture in main-window preferences brennen; do
  convert "$windows/desktop/pictures/win32-$picture.bmp" -strip "$windows/desktop/pictures/win32-$picture.png"
done
echo "pictures: $(ls "$windows"/desktop/pictures/win32-*.png | tr '\n' ' ')"
graphics null
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p
setsid wine cmd /c exit </dev/null >/dev/null 2>&1 &
wait

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
    mkdir -p "$XDG_RUNTIME_DIR"  # a runtime folder that does not exist holds no marks
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

step "build for i686"
configure i686
cmake --build "$windows/i686" -j"$jobs"
check_exports i686 "$windows/i686/tests/fake-inpout/inpout32.dll"

# The 32-bit tests and desktop program run where wine has its 32-bit half.
if [ -x /usr/lib/wine/wine ]; then
  step "32-bit tests under wine"
  run_tests i686
  step "32-bit desktop program under wine"
  rm -rf "$windows/desktop-i686" && mkdir -p "$windows/desktop-i686"
  timeout 600 wine "$root/$windows/x86_64/tests/win32/ferolith-desktop-driver.exe" \
    "$root/$windows/i686/win32/ferolith.exe" "$root/$windows/desktop-i686" "$root/resources" \
    >"$windows/desktop-i686/driver.log" 2>&1 || { cat "$windows/desktop-i686/driver.log"; exit 1; }
  grep -v '^wine: ' "$windows/desktop-i686/driver.log" | tail -1
else
  echo "Skipped: the 32-bit tests and ferolith.exe under wine (wine32:i386 is not installed)"
fi
scripts/test-windows-users.sh "$windows"

step "done"
