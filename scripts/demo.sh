#!/usr/bin/env bash
# The main job: installs the dependencies, builds both targets, packs the bundled example into a
# self-extracting program, runs it under Wine on a virtual display with -n into a temporary
# directory, and shows what happened.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

demo=build/demo
example=examples/viewer
mkdir -p "$demo"
package="$demo/viewer-setup.exe"
build/host/ombrix pack --stub build/win32/ombrix-sfx.exe -o "$package" \
  --window-title "Viewer Setup" --script "$example/setup.txt" \
  --base "$example/files" "$example/files"/*
echo "== Packed $package ($(stat -c %s "$package") bytes)"
build/host/ombrix info "$package"

target=$(mktemp -d /tmp/ombrix-demo.XXXXXX)
export WINEPREFIX="$PWD/$demo/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
  echo "== Creating the Wine prefix (once)"
  xvfb-run -a wineboot -i >/dev/null 2>&1 || true
fi
echo "== Running: wine $package -n Z:${target//\//\\}"
set +e
timeout 120 xvfb-run -a wine "$package" -n "Z:${target//\//\\}"
status=$?
set -e
echo "== Exit code: $status"
echo "== Extracted into $target:"
(cd "$target" && find . -mindepth 1 | sort | sed 's/^/  /')
