#!/usr/bin/env bash
# Makes the project's private Wine prefix once: its first start takes tens of
# seconds, which must not land in the test timings. Maps the Japanese dialog
# font to one that Debian ships.
#
# For each DPI named (wine-prefix.sh 144 192) it makes build/wine-prefix-<DPI>
# as well: a copy of that prefix whose screen has DPI dots per inch, for the
# dialog tests and the screenshots at that DPI. A copy takes a second where a
# new prefix takes tens; its big system folders, which Wine only reads, are
# hard links.
# Usage: wine-prefix.sh [DPI...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/scripts/wine-env.sh"
use_utf8_locale
for dpi in "$@"; do
  [[ "$dpi" =~ ^[1-9][0-9]*$ ]] || { echo "usage: wine-prefix.sh [DPI...]" >&2; exit 2; }
done
base=$here/build/wine-prefix
# The copies are made from the project's prefix; alone, the script makes the
# caller's.
if (($# > 0)); then export WINEPREFIX=$base; else export WINEPREFIX=${WINEPREFIX:-$base}; fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
mkdir -p "$(dirname "$WINEPREFIX")"
if [[ ! -f "$WINEPREFIX/.verbarium-ready" ]]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Noto Sans CJK JP' /f >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$WINEPREFIX/.verbarium-ready"
fi

# A copy older than its prefix is made again.
copy_with_dpi() {
  local dpi=$1 copy=$base-$1 folder
  [[ -f "$copy/.verbarium-ready" && ! "$base/.verbarium-ready" -nt "$copy/.verbarium-ready" ]] && return 0
  rm -rf "$copy" "$copy.new"
  mkdir -p "$copy.new"
  local shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs) excluded=()
  for folder in "${shared[@]}"; do excluded+=("--exclude=./$folder"); done
  # Tests may be running in the prefix meanwhile: their scratch files stay
  # behind, and a file that changes while it is read (tar's exit code 1) is
  # one Wine writes whole again anyway.
  excluded+=(--exclude=./.verbarium-ready "--exclude=./drive_c/users/*/Temp/*" "--exclude=./drive_c/windows/temp/*")
  { tar -C "$base" "${excluded[@]}" --warning=no-file-changed --warning=no-file-removed -cf - . || (($? == 1)); } |
    tar -C "$copy.new" -xf -
  for folder in "${shared[@]}"; do
    [[ ! -d "$base/$folder" ]] || cp -al "$base/$folder" "$copy.new/$(dirname "$folder")/"
  done
  WINEPREFIX=$copy.new wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  WINEPREFIX=$copy.new wineserver -w || true
  mv "$copy.new" "$copy"
  touch "$copy/.verbarium-ready"
}
for dpi in "$@"; do copy_with_dpi "$dpi"; done
