#!/usr/bin/env bash
# The main job: installs the dependencies, builds the stubs, the robot and the host tool, packs the
# bundled example into a self-extracting program, shows its dialog on a virtual display and saves
# a picture of it, then runs it with -n into a temporary directory, where it extracts without
# waiting for OK, and lists what it wrote and what its setup actions did: a file class, a Program
# Manager group, the readme opened. The program is the i686 stub on 32-bit Wine; on a host that
# runs no i386 programs, where 32-bit Wine cannot start, the x86-64 build of the stub stands in on
# 64-bit Wine. OMBRIX_E2E_FLAVOUR=i686 or x86-64 picks one (tests/e2e/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
cmake --preset host >/dev/null
cmake --build --preset host --target ombrix

choice=$(python3 tests/e2e/harness.py flavour)
read -r flavour preset wine arch <<<"$choice"
echo "== Flavour ${choice#*$'\n'}"

demo=build/demo
example=examples/viewer
mkdir -p "$demo"
package="$demo/viewer-setup-$flavour.exe"
# The example's project file says what to pack; the stub and the output are this flavour's.
build/host/ombrix pack --project "$example/ombrix.toml" --stub "build/$preset/ombrix-sfx.exe" \
  -o "$package"
echo "== Packed $package ($(stat -c %s "$package") bytes)"
build/host/ombrix info "$package"

# The end-to-end tests' session: a virtual display, and a Wine prefix (made once) in which Wine
# draws window captions and has the dialog's Japanese font.
export OMBRIX_STUB_FLAVOUR="$flavour" OMBRIX_E2E_DIR="$PWD/$demo/$flavour" \
  OMBRIX_STUB="$PWD/build/$preset/ombrix-sfx.exe" OMBRIX_ROBOT="$PWD/build/$preset/robot.exe" \
  OMBRIX_TOOL="$PWD/build/host/ombrix"
echo "== Starting Wine on a virtual display (the first time, a prefix is made)"
python3 tests/e2e/harness.py start >/dev/null
trap 'python3 tests/e2e/harness.py stop >/dev/null' EXIT
DISPLAY=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["display"])' \
  "$OMBRIX_E2E_DIR/session.json")
export DISPLAY WINEPREFIX="$OMBRIX_E2E_DIR/prefix" WINEARCH="$arch" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
robot() { "$wine" "$OMBRIX_ROBOT" --timeout 30000 --control 100 find '#32770' 'Viewer Setup' "$@"; }

"$wine" "$package" 2>/dev/null &
program=$!
read -r _ left top right bottom < <(robot dump | grep '^rect ')
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
  "$demo/dialog.png"
robot press 2 gone >/dev/null
wait "$program" || true
echo "== The dialog, as it waits for OK: $demo/dialog.png"

target=$(mktemp -d /tmp/ombrix-demo.XXXXXX)
echo "== Running: $wine $package -n Z:${target//\//\\}"
set +e
timeout 120 "$wine" "$package" -n "Z:${target//\//\\}" 2>/dev/null
status=$?
set -e
echo "== Exit code: $status (1: the dialog ended after extracting)"
echo "== Extracted into $target:"
(cd "$target" && find . -mindepth 1 | sort | sed 's/^/  /')
echo "== Its setup actions: the file class in the registry"
for key in '.vwr' 'Viewer.Document'; do
  "$wine" reg query "HKCR\\$key" /s 2>/dev/null | tr -d '\r' | grep -v '^$' | sed 's/^/  /'
done
echo "== The group, which Wine's shell makes a folder of (it ignores the item after the line feed)"
ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs/Viewer |
  sed 's/^/  /'
echo "== The command, bin\view.bat readme.txt, opened:"
"$wine" "$OMBRIX_ROBOT" --timeout 30000 find Notepad '' dump | sed -n 's/^caption /  /p'
