#!/usr/bin/env bash
# What a user of a real Windows relies on, tried under wine on the builds of
# scripts/test-windows.sh (which calls this script with its wine prefix and
# wine server in place):
#   1. the port DLL is taken from the program's own folder, never from the
#      working folder: a fake DLL that leaves a mark when it is loaded is
#      planted in the working folder (no mark) and beside the program (mark);
#   2. the installer (scripts/windows-installer.sh) installs silently, the
#      installed ferolith-cli.exe runs a simulator cycle in the working
#      folder the installer made, the uninstaller removes everything but
#      that working folder.
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

step "the installer: install, a cycle with the installed program, uninstall"
scripts/windows-installer.sh "$windows" >"$work/installer.txt" 2>&1 || { cat "$work/installer.txt"; fail "makensis"; }
grep -E 'KiB|no ' "$work/installer.txt" | sed 's/^/   /'
version=$(sed -n 's/^project(Ferolith VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
drive=$WINEPREFIX/drive_c
installed="$drive/Program Files/Ferolith"
user_folder=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')")/Ferolith
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Ferolith"
rm -rf "$installed" "$user_folder" "$menu"
# Everything in the prefix but what wine changes on its own (registry,
# temporary files, its caches).
listing() { (cd "$drive" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -print | sort); }
listing >"$work/before.txt"
wine "$root/build/ferolith-setup-$version-x64.exe" /S </dev/null >"$work/setup.txt" 2>&1 || fail "the installer failed"
for file in ferolith-cli.exe COPYING.txt ACELIST.CSV samples/blink.hex samples/blink.rex uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
[ -f "$user_folder/ACELIST.CSV" ] || fail "no working folder with the sample library: $user_folder"
[ -f "$menu/Ferolith deinstallieren.lnk" ] || fail "no Start-menu entry"
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
echo "   cycle in $(basename "$user_folder"): program, verify, read-out"
wine "$installed/uninstall.exe" /S </dev/null >"$work/uninstall.txt" 2>&1 || fail "the uninstaller failed"
# The uninstaller runs from a copy of itself and returns at once: wait for
# it to remove the Start-menu folder, its last file step (five minutes at
# most).
for _ in $(seq 1 3000); do [ -e "$menu" ] || break; sleep 0.1; done
listing >"$work/after.txt"
left=$(comm -13 "$work/before.txt" "$work/after.txt" | grep -v "^./$(realpath --relative-to="$drive" "$user_folder")" || true)
[ -z "$left" ] || fail "left after uninstalling: $left"
[ -f "$user_folder/readback.hex" ] || fail "the working folder did not stay"
echo "   uninstalled: only the working folder stays ($(cd "$user_folder" && ls | tr '\n' ' '))"

step "done"
