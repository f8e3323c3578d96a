#!/usr/bin/env bash
# What a user of a real Windows relies on, tried under wine on the builds of
# scripts/test-windows.sh (which calls this script with its wine prefix and
# wine server in place):
#   1. the port DLL is taken from the program's own folder, never from the
#      working folder: a fake DLL that leaves a mark when it is loaded is
#      planted in the working folder (no mark) and beside the program (mark);
#   2. each installer (scripts/windows-installer.sh; x64 and x86) installs
#      silently, its Start-menu entry for the virtual programmer starts the
#      installed ferolith.exe (checked, used and closed by
#      tests/win32/StartedProgramCheck.cpp), the installed ferolith-cli.exe
#      runs a simulator cycle in the working folder the installer made, the
#      uninstaller removes everything but that working folder.
# Usage: scripts/test-windows-users.sh WINDOWS_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
windows=$(realpath "$1")
work=$root/build/windows/users
started=$SECONDS
step() { echo "== windows users: $* ($((SECONDS - started)) s)"; }
fail() { echo "FAILED: $*"; exit 1; }

x64=$windows/x86_64

rm -rf "$work" && mkdir -p "$work"

step "the port DLL: never from the working folder, always from the program's folder"
mark=$work/dll-mark.txt
export FEROLITH_FAKE_INPOUT_MARK
FEROLITH_FAKE_INPOUT_MARK=$(winepath -w "$mark")
mkdir -p "$work/project" "$work/program"
cp "$x64/tests/fake-inpout/inpoutx64.dll" "$work/project/"
cp "$x64/cli/ferolith-cli.exe" "$x64/tests/fake-inpout/inpoutx64.dll" "$work/program/"
(cd "$work/project" && wine "$x64/cli/ferolith-cli.exe" detect >detect.txt 2>&1) && status=0 || status=$?
[ "$status" -eq 8 ] || fail "detect beside a planted DLL: status $status"
[ ! -e "$mark" ] || fail "the DLL in the working folder was loaded: $(cat "$mark")"
grep -q 'inpoutx64.dll nicht gefunden (weder im Programmordner noch in System32' "$work/project/detect.txt" ||
  fail "no German reason in $(cat "$work/project/detect.txt")"
echo "   planted in the working folder: not loaded"
(cd "$work/project" && wine "$work/program/ferolith-cli.exe" detect >detect-beside.txt 2>&1) || true
grep -qi 'program\\inpoutx64.dll' "$mark" || fail "the DLL beside the program was not loaded"
echo "   beside the program: loaded ($(tr -d '\r' <"$mark"))"
unset FEROLITH_FAKE_INPOUT_MARK

scripts/windows-installer.sh "$windows" >"$work/installer.txt" 2>&1 || { cat "$work/installer.txt"; fail "makensis"; }
grep -E 'KiB|no ' "$work/installer.txt" | sed 's/^/   /'
version=$(sed -n 's/^project(Ferolith VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
drive=$WINEPREFIX/drive_c
user_folder=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')")/Ferolith
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Ferolith"
# Everything in the prefix but what wine changes on its own (registry,
# temporary files, its caches).
listing() { (cd "$drive" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -print | sort); }

installer_check() {  # ARCH PROGRAM_FOLDER
  local arch=$1 installed="$drive/$2/Ferolith"
  step "the $arch installer: install, the Start-menu entry, a cycle with the installed program, uninstall"
  rm -rf "$installed" "$user_folder" "$menu"
  listing >"$work/before-$arch.txt"
  wine "$root/build/ferolith-setup-$version-$arch.exe" /S </dev/null >"$work/setup-$arch.txt" 2>&1 ||
    fail "the $arch installer failed"
  for file in ferolith-cli.exe ferolith.exe COPYING.txt ACELIST.CSV samples/blink.hex samples/blink.rex uninstall.exe; do
    [ -f "$installed/$file" ] || fail "not installed: $file"
  done
  [ -f "$user_folder/ACELIST.CSV" ] || fail "no working folder with the sample library: $user_folder"
  [ -f "$menu/Ferolith deinstallieren.lnk" ] || fail "no Start-menu entry"
  # The entry for the virtual programmer, opened by the shell as a click in
  # the Start menu opens it (its program, arguments and working folder);
  # the check finds the main window, runs a Leertest, which only the
  # virtual programmer passes, and closes the window.
  LC_ALL=C.UTF-8 wine start /unix "$menu/Ferolith mit simuliertem Programmiergerät.lnk" </dev/null \
    >"$work/start-$arch.txt" 2>&1 || fail "the Start-menu entry did not start: $(cat "$work/start-$arch.txt")"
  timeout 600 wine "$x64/tests/win32/ferolith-started-check.exe" "$(winepath -w "$installed/ferolith.exe")" \
    </dev/null >"$work/started-$arch.txt" 2>&1 || fail "the started program: $(cat "$work/started-$arch.txt")"
  # The program keeps its settings in the working folder of the entry.
  [ -f "$user_folder/KALVENOR.INI" ] || fail "the started program did not work in $user_folder"
  echo "   Start menu: $(grep -v '^wine: ' "$work/started-$arch.txt" | tr -d '\r'), settings in $(basename "$user_folder")"
  (
    cd "$user_folder"
    cp "$installed/samples/blink.hex" "$installed/samples/blink.rex" .
    cli=(wine "$installed/ferolith-cli.exe" --simulate=chip.sim --manufacturer 0 --device QM1108-2KE -y -q)
    "${cli[@]}" program blink.hex >cycle.txt 2>&1 || fail "program: $(cat cycle.txt)"
    "${cli[@]}" verify blink.hex >>cycle.txt 2>&1 || fail "verify: $(cat cycle.txt)"
    "${cli[@]}" --format intel8 read readback.hex >>cycle.txt 2>&1 || fail "read: $(cat cycle.txt)"
  )
  grep -q 'CRC-32 CF157B53' "$user_folder/cycle.txt" || fail "the cycle's checksums: $(cat "$user_folder/cycle.txt")"
  echo "   installed: $(cd "$installed" && find . -type f | sort | tr '\n' ' ')"
  echo "   ferolith.exe: $(file -b "$installed/ferolith.exe" | cut -d, -f1)"
  echo "   cycle in $(basename "$user_folder"): program, verify, read-out"
  wine "$installed/uninstall.exe" /S </dev/null >"$work/uninstall-$arch.txt" 2>&1 || fail "the uninstaller failed"
  # The uninstaller runs from a copy of itself and returns at once: wait for
  # it to remove the Start-menu folder, its last file step (five minutes at
  # most).
  for _ in $(seq 1 3000); do [ -e "$menu" ] || break; sleep 0.1; done
  listing >"$work/after-$arch.txt"
  local left
  left=$(comm -13 "$work/before-$arch.txt" "$work/after-$arch.txt" |
    grep -v "^./$(realpath --relative-to="$drive" "$user_folder")" || true)
  [ -z "$left" ] || fail "left after uninstalling: $left"
  [ -f "$user_folder/readback.hex" ] || fail "the working folder did not stay"
  echo "   uninstalled: only the working folder stays ($(cd "$user_folder" && ls | tr '\n' ' '))"
}
installer_check x64 "Program Files"
# The 32-bit installer goes to the folder of 32-bit programs.
installer_check x86 "Program Files (x86)"

step "done"
