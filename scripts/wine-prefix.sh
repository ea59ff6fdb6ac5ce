#!/usr/bin/env bash
# Makes the project's private Wine prefix once: its first start takes tens of
# seconds, which must not land in the test timings. Maps the Japanese dialog
# font to one that Debian ships.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/scripts/wine-env.sh"
use_utf8_locale
export WINEPREFIX=${WINEPREFIX:-$here/build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
mkdir -p "$(dirname "$WINEPREFIX")"
if [[ ! -f "$WINEPREFIX/.verbarium-ready" ]]; then
  wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'Noto Sans CJK JP' /f >/dev/null 2>&1 || true
  wineserver -w || true
  touch "$WINEPREFIX/.verbarium-ready"
fi
