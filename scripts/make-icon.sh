#!/usr/bin/env bash
# Draws Verbarium's icon, an open book, into src/windows/resources/verbarium.ico
# (256, 48, 32 and 16 pixels). Needs ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
  -fill '#1f5f6b' -draw 'roundrectangle 6,6 250,250 44,44' \
  -fill '#f4efe1' -draw 'polygon 40,70 122,84 122,206 40,192' -draw 'polygon 134,84 216,70 216,192 134,206' \
  -fill '#1f5f6b' -stroke '#1f5f6b' -strokewidth 6 \
  -draw 'line 60,108 106,114' -draw 'line 60,134 106,140' -draw 'line 60,160 106,166' \
  -draw 'line 150,114 196,108' -draw 'line 150,140 196,134' -draw 'line 150,166 196,160' \
  "$work/icon.png"
convert "$work/icon.png" -define icon:auto-resize=256,48,32,16 "$here/src/windows/resources/verbarium.ico"
