#!/usr/bin/env bash
# What a user of a real Windows relies on, tried under wine on the builds of
# scripts/test-windows.sh (which calls this script with its wine prefix and
# wine server in place):
#   1. the port DLL is taken from the program's own folder, never from the
#      working folder: a fake DLL that leaves a mark when it is loaded is
#      planted in the working folder (no mark) and beside the program (mark);
#   2. Ctrl-C, twice, in the middle of a pass stops the pass at its next
#      cell and ends the program with the pass's status, as on Linux.
# Usage: scripts/test-windows-users.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
windows=$(realpath "$1")
linux_build=$(realpath "$2")
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

step "Ctrl-C twice in the middle of a pass"
# A production run at four times the real programmer's pace: the first chip
# is programmed, then Enter starts the second, and two Ctrl-C follow at
# once. The second chip fails with the stopped pass's status, the run ends
# cleanly, and the program is not killed by the second Ctrl-C.
interrupt() {  # DIR PROGRAM...
  local dir=$1
  shift
  rm -rf "$dir" && mkdir -p "$dir"
  cp resources/ACELIST.CSV resources/samples/blink.hex "$dir"/
  printf '%s' '[["wait","Baustein 1:"],["send","\n"],["signal","INT"],["signal","INT"]]' >"$dir/steps.json"
  (
    cd "$dir"
    XDG_RUNTIME_DIR=$dir python3 "$root/tests/support/drive_cli.py" pipe steps.json "$@" \
      -q --simulate=chip.sim --simulate-speed=4 --manufacturer 0 --device QM1108-2KE -y --no-verify \
      --repeat program blink.hex </dev/null >drive.txt 2>err.txt || true
    tr -d '\r' <drive.txt | grep -E '^(status|signal) |^Baustein|^Serie' >outcome.txt
  )
}
interrupt "$work/ctrl-c-linux" "$linux_build/cli/ferolith-cli"
interrupt "$work/ctrl-c-windows" wine "$x64/cli/ferolith-cli.exe"
cat "$work/ctrl-c-windows/outcome.txt" | sed 's/^/   /'
grep -qx 'status 7' "$work/ctrl-c-linux/outcome.txt" || fail "Linux: $(cat "$work/ctrl-c-linux/outcome.txt")"
diff "$work/ctrl-c-linux/outcome.txt" "$work/ctrl-c-windows/outcome.txt" || fail "Ctrl-C ends differently on Windows"

step "done"
