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
# The archive is the game as shipped: its tables are also the edition's
# baseline. A few entries of the first table come translated, through the
# same PO import a translator would use.
for table in "$dest/Shadow Wars"/*.dat; do cp "$table" "$table.org"; done
cat >"$tables/demo-ja.po" <<'PO'
msgid ""
msgstr "Content-Type: text/plain; charset=UTF-8\n"

#. key 1000000001000000
msgctxt "1000-2000_0_0.dat#1"
msgid "Welcome to Ashen Vale, traveller."
msgstr "旅の方、アッシェンヴェイルへようこそ。"

#. key 1000000003000000
msgctxt "1000-2000_0_0.dat#3"
msgid "Healing Draught"
msgstr "回復の薬"

#. key 1000000004000000
msgctxt "1000-2000_0_0.dat#4"
msgid "Gold"
msgstr "金貨"
PO
"$native/tools/cli/verbarium-cli" po import "$dest/Shadow Wars" "$tables/demo-ja.po" >/dev/null
rm -rf "$dest/Shadow Wars/backup"
echo "demo workspace: $dest"
