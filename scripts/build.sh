#!/usr/bin/env bash
# Builds both targets: the host tool and tests (build/host) and the Win32 stub (build/win32).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --preset host >/dev/null
cmake --build --preset host
