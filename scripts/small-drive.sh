#!/usr/bin/env bash
# Gives the build's Wine prefix a tiny drive Q: (a 256 KiB tmpfs) so a test can fill a disk for real.
#   small-drive.sh mount BUILD_DIR | small-drive.sh unmount BUILD_DIR
# Without the right to mount (not root, or a container that forbids it) it says so and leaves no drive: the test
# that needs it then reports itself skipped.
set -u
action=${1:?mount or unmount} build=${2:?build folder}
point="$build/small-drive"
link="$build/wineprefix/dosdevices/q:"
if mountpoint -q "$point" 2>/dev/null; then umount "$point" 2>/dev/null || true; fi
rm -f "$link"
[ "$action" = mount ] || exit 0
mkdir -p "$point" "$build/wineprefix/dosdevices"
if mount -t tmpfs -o size=256k,mode=0777 qv-small-drive "$point" 2>/dev/null; then
    ln -s "$point" "$link"
    echo "small-drive: Q: is a 256 KiB tmpfs at $point"
else
    echo "small-drive: cannot mount a tmpfs here; the disk-full test will be skipped"
fi
exit 0
