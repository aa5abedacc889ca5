#!/usr/bin/env bash
# Builds everything and runs every test under Wine, inside a virtual X server, in the build's own Wine prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
export WINEPREFIX="$top/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
"$top/scripts/wine-prefix.sh" "$WINEPREFIX"
# One wineserver for the whole run: each program then starts in milliseconds instead of a second.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$top/build"
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -j 2 "$@"
