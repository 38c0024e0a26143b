#!/usr/bin/env bash
# Installs the dependencies, builds both targets and runs every test: the host unit tests, the
# image and import checks, the cross-validation against peer archivers and the stub under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build/host --output-on-failure --timeout 600 "$@"
scripts/fuzz.sh 10
