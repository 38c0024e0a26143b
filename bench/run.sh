#!/usr/bin/env bash
# Builds the optimised host tool and times it against lha packing and the peer decoders; see
# docs/performance.md. OMBRIX_BENCH_BUILD names another build tree; OMBRIX_BENCH_RUNS the rounds
# of decoding, OMBRIX_BENCH_PACK_RUNS those of packing.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${OMBRIX_BENCH_BUILD:-build/host-release}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOMBRIX_SANITIZE=OFF \
  -DOMBRIX_TESTS=OFF >/dev/null
cmake --build "$build" --target ombrix
mkdir -p bench/out
exec python3 bench/bench.py "$build/ombrix" bench/out "${OMBRIX_BENCH_RUNS:-10}" \
  "${OMBRIX_BENCH_PACK_RUNS:-3}"
