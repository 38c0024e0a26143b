#!/usr/bin/env bash
# Installs the dependencies, builds both targets and runs every test: the host unit tests, the
# image and import checks, the cross-validation against peer archivers, the stub under Wine, and
# a short run of each fuzz target. Ends with one line that counts them all.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
summary=build/host/ctest-summary.log
ctest --test-dir build/host --output-on-failure --timeout 600 "$@" | tee "$summary"
scripts/fuzz.sh 10

# ctest has stopped the script already when anything failed, so every test counted here passed.
total=$(grep -oE 'tests failed out of [0-9]+' "$summary" | grep -oE '[0-9]+$')
fuzzers=$(find tests/fuzz -name '*_fuzzer.cpp' | wc -l)
echo "all: $((total + fuzzers)) passed, 0 failed"
