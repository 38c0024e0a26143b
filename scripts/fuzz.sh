#!/usr/bin/env bash
# Builds the libFuzzer targets (the `fuzz` preset: clang, ASan and UBSan) and runs each one for
# SECONDS (default 15) from its generated seeds and the corpus kept in build/fuzz/corpus/. A crash,
# a leak, a broken check or a hung input fails the run; the input that did it is left in
# build/fuzz/findings/ next to the target's log.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-15}"
build="$PWD/build/fuzz"  # absolute: a target may change its directory while it runs
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p "$build/findings"
failed=()
for source in tests/fuzz/*_fuzzer.cpp; do
  target="$(basename "$source" _fuzzer.cpp)"
  corpus="$build/corpus/$target"
  log="$build/findings/$target.log"
  mkdir -p "$corpus"
  if "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -artifact_prefix="$build/findings/$target-" "$corpus" "$build/fuzz-seeds/$target" \
      >"$log" 2>&1; then
    echo "fuzz_$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -n 1)"
  else
    echo "fuzz_$target FAILED; the end of $log:"
    tail -n 40 "$log"
    failed+=("$target")
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
