#!/usr/bin/env bash
# Configures and builds the whole suite into build/ (after the bootstrap has prepared the machine).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" = 0 ]; then
    "$top/scripts/bootstrap.sh"
else
    echo "build: not root, skipping the bootstrap (run scripts/bootstrap.sh as root once)" >&2
fi
cmake -S "$top" -B "$top/build" -G Ninja "$@"
cmake --build "$top/build"
