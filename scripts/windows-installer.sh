#!/usr/bin/env bash
# Builds the Windows installers with NSIS from the Windows builds of
# scripts/test-windows.sh: build/ferolith-setup-<version>-x64.exe from
# WINDOWS_BUILD_DIR/x86_64 and, when the 32-bit build has its
# ferolith-cli.exe, build/ferolith-setup-<version>-x86.exe from
# WINDOWS_BUILD_DIR/i686. ferolith.exe goes in when the build has it.
# Usage: scripts/windows-installer.sh [WINDOWS_BUILD_DIR]  (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
windows=$(realpath "${1:-build/windows}")
scripts/install-deps.sh nsis imagemagick
version=$(sed -n 's/^project(Ferolith VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for pair in x64:x86_64 x86:i686; do
  arch=${pair%%:*}
  build=$windows/${pair#*:}
  [ -f "$build/cli/ferolith-cli.exe" ] || { echo "-- no $arch installer: $build/cli/ferolith-cli.exe is missing"; continue; }
  programs=$build/installer-programs
  rm -rf "$programs" && mkdir -p "$programs"
  for program in ferolith-cli ferolith; do
    [ ! -f "$build/cli/$program.exe" ] || cp "$build/cli/$program.exe" "$programs/"
    [ ! -f "$build/gui/$program.exe" ] || cp "$build/gui/$program.exe" "$programs/"
    [ ! -f "$build/win32/$program.exe" ] || cp "$build/win32/$program.exe" "$programs/"
  done
  out=$root/build/ferolith-setup-$version-$arch.exe
  makensis -V2 -DVERSION="$version" -DARCH="$arch" -DPROGRAMS="$programs" -DROOT="$root" \
    -DOUTFILE="$out" resources/windows/ferolith.nsi
  echo "$out ($(du -k "$out" | cut -f1) KiB: $(cd "$programs" && ls | tr '\n' ' '))"
done
