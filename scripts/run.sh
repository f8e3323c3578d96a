#!/usr/bin/env bash
# Installs what is needed, builds, and runs a full cycle on the built-in
# simulated programmer with the command-line program: blank check, program
# the sample burn file (and its .rex data EEPROM file), verify, and read the
# chip back in Intel HEX and Motorola S-records. The desktop program has its
# own command: scripts/run-desktop.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)" --target ferolith-cli

cli="$PWD/build/release/cli/ferolith-cli"
demo=build/demo
rm -rf "$demo" && mkdir -p "$demo"
cp resources/ACELIST.CSV resources/samples/blink.hex resources/samples/blink.rex "$demo"/
cd "$demo"
export XDG_RUNTIME_DIR="$PWD"   # desktop marks of this demo only
sim=(--simulate=chip.sim --manufacturer "Quellmark Halbleiter" --device QM1108-2KE -y)

step() { echo; echo "\$ ferolith-cli $*"; "$cli" "$@"; }
step devices
step "${sim[@]}" blank
step "${sim[@]}" program blink.hex
step "${sim[@]}" verify blink.hex
step "${sim[@]}" --format intel8 read readback.hex
step "${sim[@]}" --format s1 read readback.s19
echo
echo "Read back (build/demo/readback.hex):"
head -n 4 readback.hex
echo "The virtual chip is kept in build/demo/chip.sim."
