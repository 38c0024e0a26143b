#!/usr/bin/env bash
# The main job: installs the dependencies, builds every target, packs the bundled example into a
# self-extracting program, runs it under Wine on a virtual display with -n into a temporary
# directory, and shows what happened. The program is the i686 stub on 32-bit Wine; on a host that
# runs no i386 programs, where 32-bit Wine cannot start, the x86-64 build of the stub stands in
# on 64-bit Wine. OMBRIX_E2E_FLAVOUR=i686 or x86-64 picks one (tests/e2e/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

choice=$(python3 tests/e2e/wine_session.py flavour)
read -r flavour preset wine arch <<<"$choice"
echo "== Flavour ${choice#*$'\n'}"

demo=build/demo
example=examples/viewer
mkdir -p "$demo"
package="$demo/viewer-setup-$flavour.exe"
build/host/ombrix pack --stub "build/$preset/ombrix-sfx.exe" -o "$package" \
  --window-title "Viewer Setup" --script "$example/setup.txt" \
  --base "$example/files" "$example/files"/*
echo "== Packed $package ($(stat -c %s "$package") bytes)"
build/host/ombrix info "$package"

target=$(mktemp -d /tmp/ombrix-demo.XXXXXX)
export WINEPREFIX="$PWD/$demo/wineprefix-$flavour" WINEARCH="$arch" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
  echo "== Creating the Wine prefix (once)"
  xvfb-run -a "$wine" wineboot -i >/dev/null 2>&1 || true
fi
echo "== Running: $wine $package -n Z:${target//\//\\}"
set +e
timeout 120 xvfb-run -a "$wine" "$package" -n "Z:${target//\//\\}"
status=$?
set -e
echo "== Exit code: $status"
echo "== Extracted into $target:"
(cd "$target" && find . -mindepth 1 | sort | sed 's/^/  /')
