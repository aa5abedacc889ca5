#!/usr/bin/env bash
# Creates the build's Wine prefix once: 32-bit, quiet, with the CJK font standing in for the faces the UI asks for.
# Safe to call from parallel tests: the first caller builds the prefix under a lock, the others wait.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
[ -f "$prefix/.qv-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.qv-ready" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
rm -rf "$prefix"
echo "wine-prefix: creating $prefix" >&2
wineboot -i >/dev/null 2>&1 || { echo "wine-prefix: wineboot failed" >&2; exit 1; }
font="WenQuanYi Micro Hei"
for face in "微软雅黑" "宋体" "Microsoft YaHei" "SimSun"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "$font" /f >/dev/null 2>&1 \
        || { echo "wine-prefix: could not set the font replacement for $face" >&2; exit 1; }
done
wineserver -w
touch "$prefix/.qv-ready"
