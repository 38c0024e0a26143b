#!/usr/bin/env bash
# Builds every target: the Win32 stub (build/win32), its x86-64 build, a test vehicle for hosts
# whose Wine runs 64-bit programs only (build/win64), and the host tool and tests (build/host).
# The stub comes first, since the host tool carries it.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
cmake --preset host >/dev/null
cmake --build --preset host
