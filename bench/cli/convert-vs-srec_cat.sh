#!/usr/bin/env bash
# Whole-process comparison: ferolith-cli converting a 64 KiB Intel HEX file
# to Motorola S-records against srec_cat doing the same, timed by hyperfine.
# Usage: bench/cli/convert-vs-srec_cat.sh [path/to/ferolith-cli]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=${1:-$root/build/release/cli/ferolith-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/resources/ACELIST.CSV" "$work/"
cd "$work"
head -c 65536 /dev/urandom > image.bin
srec_cat image.bin -binary -o image.hex -intel -address-length=2
# BW12-D14/64E: 64 KiB of program memory from 0x0000.
hyperfine --warmup 5 --runs 50 --export-markdown result.md \
  -n ferolith-cli "$cli -q --manufacturer 1 --device BW12-D14/64E --format s1 convert image.hex ours.s19" \
  -n srec_cat "srec_cat image.hex -intel -o theirs.s19 -motorola -address-length=2"
cat result.md
# Both outputs must hold the same bytes.
srec_cat ours.s19 -motorola -o ours.bin -binary
cmp ours.bin image.bin && echo "ferolith-cli output verified by srec_cat"
