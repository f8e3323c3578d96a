#!/usr/bin/env bash
# Checks scripts/bench-check.sh on the simulator (run by scripts/test.sh):
#   1. unattended with --simulate: no step may fail;
#   2. unattended with no programmer answering (--simulate-absent=high):
#      every step that needs the programmer fails, and so does the script;
#   3. asking before each step, as at a real programmer (here the simulator
#      behind a wrapper): Enter runs a step, s skips it, the end of input
#      skips the rest; with the programming step skipped, verification and
#      every read-back comparison must fail;
#   4. asking, on the simulator four times faster than the real programmer:
#      the probe finds TimeBaseKorr off (status 78) and every later step is
#      skipped before anything is programmed.
# Everything of the four runs stays in BUILD_DIR/bench-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cli=$PWD/$build/cli/ferolith-cli
out=$PWD/$build/bench-check
rm -rf "$out" && mkdir -p "$out"
check=(scripts/bench-check.sh --cli "$cli" --device QM1108-2KE)

# Fails the check with the run's output when the table lacks a row.
expect_row() {
  grep -q "^$2" "$out/$1.txt" || { cat "$out/$1.txt"; echo "bench-check ($1): no row '$2'" >&2; exit 1; }
}

echo "-- simulated programmer"
"${check[@]}" --simulate --work "$out/simulated"

echo "-- no programmer"
if "${check[@]}" --simulate-absent=high --work "$out/absent" >"$out/absent.txt"; then
  cat "$out/absent.txt"; echo "bench-check passed without a programmer" >&2; exit 1
fi
tail -n 15 "$out/absent.txt"
for step in Leertest "Brennen mit Prüfen" Prüfen "Auslesen bin und vergleichen" \
    "Auslesen s3 und vergleichen" "InitRegister1 lesen"; do
  expect_row absent "$step  *fehlgeschlagen .*Rückgabewert 8,"
done
expect_row absent "Programmiergerät prüfen (probe)  *fehlgeschlagen .*Rückgabewert 10,"
if grep -q " bestanden " "$out/absent.txt"; then echo "a step passed without a programmer" >&2; exit 1; fi

echo "-- asking before each step"
printf '#!/bin/sh\nexec "%s" --simulate="%s/asked.sim" "$@"\n' "$cli" "$out" >"$out/simulated-cli"
chmod +x "$out/simulated-cli"
# Enter, Enter, s (programming), eight times Enter, then the end of input.
if printf '\n\ns\n\n\n\n\n\n\n\n\n' |
    scripts/bench-check.sh --cli "$out/simulated-cli" --device QM1108-2KE --work "$out/asked" >"$out/asked.txt"; then
  cat "$out/asked.txt"; echo "bench-check passed with nothing programmed" >&2; exit 1
fi
tail -n 15 "$out/asked.txt"
expect_row asked "Leertest  *bestanden "
expect_row asked "Brennen mit Prüfen  *übersprungen .*auf Wunsch"
expect_row asked "Prüfen  *fehlgeschlagen .*Rückgabewert 6,"
expect_row asked "Auslesen intel8 und vergleichen  *fehlgeschlagen .*Rückgabewert 1,"
expect_row asked "InitRegister1 lesen  *übersprungen .*keine Eingabe"
echo "-- a port faster than TimeBaseKorr says"
# The simulator four times faster than the real programmer behind a wrapper,
# run as at a real programmer: the probe finds the waits too short (78) and
# nothing after it runs, whatever the answers.
printf '#!/bin/sh\nexec "%s" --simulate="%s/fast.sim" --simulate-speed=4 "$@"\n' "$cli" "$out" >"$out/fast-cli"
chmod +x "$out/fast-cli"
if printf '\n\n\n\n\n\n\n\n\n\n\n\n' |
    scripts/bench-check.sh --cli "$out/fast-cli" --device QM1108-2KE --work "$out/fast" >"$out/fast.txt"; then
  cat "$out/fast.txt"; echo "bench-check passed with TimeBaseKorr off" >&2; exit 1
fi
tail -n 15 "$out/fast.txt"
expect_row fast "Programmiergerät prüfen (probe)  *fehlgeschlagen .*Rückgabewert 78,"
for step in Leertest "Brennen mit Prüfen" "InitRegister1 lesen"; do
  expect_row fast "$step  *übersprungen .*TimeBaseKorr passt nicht"
done
if [ -e "$out/fast/step-2.log" ]; then
  echo "bench-check ran a step after the probe with TimeBaseKorr off" >&2; exit 1
fi
echo "bench-check: all four runs as expected"
