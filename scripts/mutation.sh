#!/usr/bin/env bash
# Mutation run over link/ and chip/: seeds the faults of
# scripts/mutants.txt one at a time into the sources, rebuilds
# build/mutation (Release, no GUI) incrementally, runs the unit and
# integration tests, and prints which faults the tests caught, with a score
# per file. Arguments pick a subset (mutant ids or file names, substrings);
# --help lists the options. Every mutated file is restored after its run,
# also on Ctrl-C. Not part of scripts/test.sh: a full run takes minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/mutation.py "$@"
