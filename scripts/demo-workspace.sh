#!/usr/bin/env bash
# Lays out a ready program folder: Verbarium.exe, CRATEWORK.EXE and
# verbarium-cli.exe, the three edition directories, temp, and a demo archive
# of 21 invented tables beside them, its tables already loaded into the first
# edition. With --programs it only puts the programs of the latest build into
# an existing folder and leaves everything else in it as it is.
# Usage: demo-workspace.sh [--programs] DEST (after the native and win64 builds).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
programs_only=false
[[ "${1:-}" == --programs ]] && { programs_only=true; shift; }
dest=${1:?usage: demo-workspace.sh [--programs] DEST}
native="$here/build/native"
win64="$here/build/win64"

mkdir -p "$dest"
cp "$win64/src/program/Verbarium.exe" "$win64/tools/cratework/CRATEWORK.EXE" "$win64/tools/cli/verbarium-cli.exe" "$dest/"
$programs_only && exit 0
for directory in "Shadow Wars" "Dragon Storm" "Faith in Destiny" temp; do mkdir -p "$dest/$directory"; done

tables=$(mktemp -d)
trap 'rm -rf "$tables"' EXIT
"$native/tools/demo/verbarium-demo" "$tables" >/dev/null
(cd "$tables" && "$native/tools/cratework/cratework" p "$dest/demo.cff")
(cd "$dest/Shadow Wars" && cp "$dest/demo.cff" temp.bin && "$native/tools/cratework/cratework" u temp.bin && rm -f temp.bin ./*.zlib)
echo "demo workspace: $dest"
