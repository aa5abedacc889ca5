#!/usr/bin/env bash
# Sets the machine up, builds everything and starts the installer under Wine (in Xvfb when there is no display).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
run=("$top/build/wine-run" "$top/build/installer/QvInstaller.exe")
if [ -n "${DISPLAY:-}" ]; then
    "${run[@]}"
else
    xvfb-run -a -s "-screen 0 1920x1080x24" "${run[@]}"
fi
echo "run: QvInstaller.exe ended; its log is under the Wine prefix's temporary folder, Quorvia\\InstallLog"
