#!/usr/bin/env bash
# Acceptance run at the bench: exercises every command of ferolith-cli once
# on a spare chip and tells what works.
#
#   scripts/bench-check.sh [--simulate | --simulate-absent=MODEL] [--cli PROGRAM]
#                          [--manufacturer NAME|NR] [--device NAME|NR] [--work DIR]
#
# Steps, in this order: the programmer's probe (when it finds TimeBaseKorr off
# by more than 20 %, status 78, every later step is skipped); blank check; program a known
# pattern into program memory and data EEPROM with verification; verify; read
# back in each of the seven formats and compare; read InitRegister1. The
# pattern comes from resources/samples/bench-*: code at 0x0000 or 0x0800 and
# data at 0xF000 or 0x0000, whichever the device's range check accepts. The
# read-back files are compared byte for byte with the pattern written in the
# same format and settings by ferolith-cli's own convert.
#
# With a real programmer (the default) it works with the current directory's
# KALVENOR.INI and ACELIST.CSV, copied into the work folder, and asks before
# each step (Enter runs it, s skips it). The InitRegister1 value it programs
# is the one of KALVENOR.INI with the protection bits (0 and 1) cleared, so
# the chip stays readable and writable. With --simulate it runs unattended on
# the virtual programmer; with --simulate-absent=MODEL unattended on a
# simulated port where no programmer answers. At the end a table lists each
# step as passed, failed or skipped with its time; the exit status is 0 when
# no step failed, 1 otherwise, 64 for a wrong call.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cli=""
mode=real
simulation=()
selection=()
work=""

usage() {
  sed -n '4,5p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 64
}

while [ $# -gt 0 ]; do
  case $1 in
    --simulate) mode=simulate ;;
    --simulate-absent=*) mode=absent; simulation=("$1") ;;
    --cli) [ $# -ge 2 ] || usage; cli=$2; shift ;;
    --manufacturer | --device) [ $# -ge 2 ] || usage; selection+=("$1" "$2"); shift ;;
    --work) [ $# -ge 2 ] || usage; work=$2; shift ;;
    *) usage ;;
  esac
  shift
done

if [ -z "$cli" ]; then
  if [ -x "$here/build/release/cli/ferolith-cli" ]; then
    cli=$here/build/release/cli/ferolith-cli
  else
    cli=$(command -v ferolith-cli) || { echo "ferolith-cli nicht gefunden (--cli PROGRAMM)" >&2; exit 64; }
  fi
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
samples=$here/resources/samples
[ -f "$samples/bench-code-0000.hex" ] || samples=/usr/share/ferolith/samples
library=ACELIST.CSV
[ -f "$library" ] || library=$here/resources/ACELIST.CSV
[ -f "$library" ] || library=/usr/share/ferolith/ACELIST.CSV

if [ -z "$work" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/ferolith-bench.XXXXXX")
else
  mkdir -p "$work" || exit 64
fi
cp "$library" "$work/ACELIST.CSV"
[ "$mode" = real ] && [ -f KALVENOR.INI ] && cp KALVENOR.INI "$work/KALVENOR.INI"
cd "$work" || exit 64
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
[ "$mode" = simulate ] && simulation=(--simulate="$work/chip.sim")

# ferolith-cli with the run's programmer and device; its output goes to the step's log.
ferolith() { "$cli" -q "${simulation[@]}" "${selection[@]}" "$@" </dev/null; }

names=()
results=()
times=()
notes=()
step_log=""

# Records a step: name, result (bestanden/fehlgeschlagen/übersprungen), time, note.
record() {
  names+=("$1"); results+=("$2"); times+=("$3"); notes+=("$4")
}

# Microseconds since the epoch (bash 5's clock, no subprocess).
now() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }

answer_given=yes
# Set once a step has shown that nothing after it may run; the reason.
stop_reason=""
# The exit status of the last step that ran.
last_status=0
# Asks before a step on a real programmer: 0 to run it, 1 to skip it.
ask() {
  [ "$mode" = real ] || return 0
  [ "$answer_given" = yes ] || return 1
  local reply
  printf '\nSchritt %d: %s\nWeiter mit Enter, s = überspringen: ' "$((${#names[@]} + 1))" "$1"
  if ! IFS= read -r reply; then
    answer_given=no
    echo
    return 1
  fi
  [ "$reply" != s ] && [ "$reply" != S ]
}

# run_step NAME COMMAND [ARGUMENT...]: asks, runs the command with its output
# in a log of its own, and records the outcome. The command returns 0
# (passed) or the failing program's status.
run_step() {
  local name=$1 start status
  shift
  if [ -n "$stop_reason" ]; then
    record "$name" übersprungen "" "$stop_reason"
    return
  fi
  if ! ask "$name"; then
    record "$name" übersprungen "" "$([ "$answer_given" = yes ] && echo "auf Wunsch" || echo "keine Eingabe")"
    return
  fi
  step_log=$work/step-$((${#names[@]} + 1)).log
  start=$(now)
  "$@" >"$step_log" 2>&1
  status=$?
  last_status=$status
  local micros=$(($(now) - start))
  local took
  took=$(printf '%d.%02d s' $((micros / 1000000)) $((micros % 1000000 / 10000)))
  case $status in
    0) record "$name" bestanden "$took" "" ;;
    *) record "$name" fehlgeschlagen "$took" "Rückgabewert $status, Protokoll $step_log" ;;
  esac
  # What the step said: all of it at the bench, the end of a failure otherwise.
  if [ "$mode" = real ]; then
    sed 's/^/    /' "$step_log"
  elif [ "$status" -ne 0 ]; then
    echo "$name:"
    tail -n 4 "$step_log" | sed 's/^/    /'
  fi
  return 0
}

# The InitRegister1 value to program: that of KALVENOR.INI (00 without one)
# with read protection (bit 0) and write protection (bit 1) cleared.
initreg=$(sed -n 's/^[Ii]nit[Rr]egister1=\([0-9A-Fa-f]\{1,2\}\).*/\1/p' KALVENOR.INI 2>/dev/null | head -n 1)
initreg=$(printf '%02x' $((0x${initreg:-0} & 0xFC)))
"$cli" initreg "$initreg" >/dev/null 2>&1 </dev/null

# The pattern: the code and data files whose range check this device accepts.
pattern_code=""
pattern_data=""
for start in 0000 0800; do
  if ferolith convert "$samples/bench-code-$start.hex" check.hex >/dev/null 2>&1; then
    pattern_code=$samples/bench-code-$start.hex
    break
  fi
done
for start in F000 0000; do
  if ferolith --area data convert "$samples/bench-data-$start.rex" check.rex >/dev/null 2>&1; then
    pattern_data=$samples/bench-data-$start.rex
    break
  fi
done
rm -f check.hex check.rex
if [ -z "$pattern_code" ]; then
  echo "Kein Muster aus $samples passt zum gewählten Baustein." >&2
  exit 64
fi
cp "$pattern_code" pattern.hex
# The companion travels beside the burn file; none for a device without data EEPROM.
[ -n "$pattern_data" ] && cp "$pattern_data" pattern.rex

step_probe() { ferolith probe; }
step_blank() { ferolith -y blank; }
step_program() { ferolith -y --verify program pattern.hex; }
step_verify() { ferolith -y verify pattern.hex; }
step_initreg() {
  local value
  value=$(ferolith -y initreg) || return
  echo "InitRegister1 $value, gebrannt 0x$initreg"
  [ "${value,,}" = "0x$initreg" ]
}

# Reads the chip back in one format and compares it (and its .rex) with the
# pattern as convert writes it in that format.
read_back() {
  local format=$1
  ferolith -y --save-blank --format "$format" read "back-$format.out" || return
  ferolith --save-blank --format "$format" convert pattern.hex "expected-$format.out" || return
  cmp "back-$format.out" "expected-$format.out" || return
  [ -z "$pattern_data" ] && return 0
  ferolith --save-blank --area data --format "$format" convert pattern.rex "expected-$format.rex" || return
  cmp "back-$format.rex" "expected-$format.rex"
}

if [ "$mode" = real ]; then
  cat <<EOF
Abnahme am Programmiergerät mit ferolith-cli ($cli).
Setzen Sie einen Ersatz-Baustein ein: sein Inhalt wird überschrieben.
Muster: $(basename "$pattern_code")${pattern_data:+ und $(basename "$pattern_data")}; InitRegister1 wird 0x$initreg.
Arbeitsordner: $work
EOF
fi

run_step "Programmiergerät prüfen (probe)" step_probe
# probe's status 78: TimeBaseKorr does not fit this machine's port, so every
# wait of a programming run would be too short (or needlessly long). Nothing
# is programmed before it is corrected.
if [ "$last_status" -eq 78 ]; then
  stop_reason="TimeBaseKorr passt nicht (probe: Rückgabewert 78)"
  echo "Abbruch: Die Wartezeiten passen nicht zu TimeBaseKorr; den Wert aus dem Bericht von probe in KALVENOR.INI eintragen." >&2
fi
run_step "Leertest" step_blank
run_step "Brennen mit Prüfen" step_program
run_step "Prüfen" step_verify
for format in bin intel8 intel32 intelmcs s1 s2 s3; do
  run_step "Auslesen $format und vergleichen" read_back "$format"
done
run_step "InitRegister1 lesen" step_initreg

# TEXT padded to WIDTH characters (printf pads bytes, and the names are UTF-8).
pad() {
  local LC_ALL=C.UTF-8
  printf '%s%*s' "$1" $(($2 - ${#1})) ''
}
row() { echo "$(pad "$1" 36) $(pad "$2" 15) $(printf '%8s' "$3")  $4"; }

passed=0
failed=0
skipped=0
echo
row Schritt Ergebnis Zeit Hinweis
for i in "${!names[@]}"; do
  row "${names[i]}" "${results[i]}" "${times[i]}" "${notes[i]}"
  case ${results[i]} in
    bestanden) passed=$((passed + 1)) ;;
    fehlgeschlagen) failed=$((failed + 1)) ;;
    *) skipped=$((skipped + 1)) ;;
  esac
done
echo
echo "Bestanden: $passed, fehlgeschlagen: $failed, übersprungen: $skipped (Arbeitsordner $work)"
[ "$failed" -eq 0 ]
