#!/usr/bin/env bash
# Packs the engine-test payloads: the fixture client (plus a generated larger file, a read-only file and the
# versioned fixture program) as a solid LZMA2 archive; a stored copy with one byte of file data altered; and a
# file that is no archive at all.
set -euo pipefail
src=$1 program=$2 out=$3
stage="$out/fixture-stage"
rm -rf "$stage" && mkdir -p "$stage"
cp -r "$src/." "$stage/"
cp "$program" "$stage/Quorvia.exe"
for i in $(seq 1 6000); do echo "line $i of the larger fixture file, for progress across items"; done > "$stage/data/large.txt"
chmod a-w "$stage/readonly.txt"
sevenzip=$(command -v 7zz || command -v 7z)
rm -f "$out/fixture.7z" "$out/fixture-corrupt.7z"
(cd "$stage" && "$sevenzip" a -bd -t7z -m0=lzma2 -ms=on "$out/fixture.7z" . >/dev/null)
(cd "$stage" && "$sevenzip" a -bd -t7z -mx0 "$out/fixture-corrupt.7z" . >/dev/null)
# Stored data starts right after the 32-byte signature header: invert one byte well inside it.
byte=$(dd if="$out/fixture-corrupt.7z" bs=1 skip=100 count=1 status=none | od -An -tu1 | tr -d ' ')
printf "\\$(printf '%03o' $((255 - byte)))" | dd of="$out/fixture-corrupt.7z" bs=1 seek=100 conv=notrunc status=none
printf 'this is not a 7z archive\n' > "$out/fixture-notarchive.7z"
# An item stored without a path (packed from standard input).
rm -f "$out/fixture-noname.7z"
printf 'content without a name\n' | "$sevenzip" a -bd -si "$out/fixture-noname.7z" >/dev/null
# A valid archive of someone else's, for the planting case.
rm -rf "$out/planted-stage" "$out/planted.7z" && mkdir -p "$out/planted-stage"
printf 'planted\n' > "$out/planted-stage/planted.txt"
(cd "$out/planted-stage" && "$sevenzip" a -bd -t7z "$out/planted.7z" . >/dev/null)
chmod -R u+w "$stage"
