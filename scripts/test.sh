#!/usr/bin/env bash
# Builds everything and runs every test under Wine, inside a virtual X server, in the build's own Wine prefix.
set -euo pipefail
trap 'echo "test.sh: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
export WINEPREFIX="$top/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
"$top/scripts/wine-prefix.sh" "$WINEPREFIX"
# One wineserver for the whole run: each program then starts in milliseconds instead of a second.
wineserver -p || echo "test.sh: no persistent wineserver; programs will start more slowly" >&2
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$top/build"
# Wine starts its services and, with the first window, its desktop process on first use; started from inside a
# test they would inherit that test's output pipe and hold it open until the run ends. Start them here instead.
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    ./wine-run cmd /c exit >/dev/null 2>&1 </dev/null
    ./wine-run tests/windriver/qvdriver.exe wait --title qv-warm-up --timeout 1 >/dev/null 2>&1 </dev/null
    exec ctest --output-on-failure -j 2 "$@"' ctest "$@"
