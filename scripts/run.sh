#!/usr/bin/env bash
# Installs what is missing, builds everything, lays out a demo workspace and
# starts Verbarium in it under Wine. With a display the window opens there;
# without one Verbarium runs under Xvfb, a screenshot of its main window is
# saved to the path printed at the end, and the program is ended.
#
# A demo workspace that is already there is kept as it is (its translations,
# baselines and settings), with the programs of this build put into it;
# --fresh lays out a new one and keeps the old one beside it.
# Usage: scripts/run.sh [--fresh]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
fresh=false
case "${1:-}" in
  "") ;;
  --fresh) fresh=true ;;
  *) echo "usage: scripts/run.sh [--fresh]" >&2; exit 2 ;;
esac
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
use_utf8_locale

scripts/install-deps.sh run
mkdir -p build
configure() {
  cmake --preset "$1" >"build/$1-configure.log" 2>&1 || { cat "build/$1-configure.log"; exit 1; }
}
configure native
cmake --build --preset native --target verbarium-demo cratework verbarium-cli
configure win64
cmake --build --preset win64 --target Verbarium cratework verbarium-cli

workspace="$here/build/demo-workspace"
if [[ -d "$workspace" ]] && $fresh; then
  kept="$workspace.before-$(date +%Y%m%d-%H%M%S)"
  mv "$workspace" "$kept"
  echo "run: the earlier demo workspace is kept in $kept"
fi
if [[ -d "$workspace" ]]; then
  scripts/demo-workspace.sh --programs "$workspace"
  echo "run: keeping the demo workspace $workspace as it is; scripts/run.sh --fresh lays out a new one"
else
  scripts/demo-workspace.sh "$workspace"
fi
scripts/wine-prefix.sh
export WINEPREFIX="$here/build/wine-prefix" WINEDEBUG=-all

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  cd "$workspace"
  exec wine Verbarium.exe
fi

# No display: show the window to a virtual one and photograph it. A settings
# file marks the workspace as used, so the first-run baseline setup stays shut.
touch "$workspace/Verbarium.ini"
shot="$workspace/main-window.png"
# Xvfb picks a free display and writes its number once it is ready.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
verbarium=
trap 'kill $verbarium "$xvfb" 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 1 100); do [[ -s "$displayfile" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
(cd "$workspace" && exec wine Verbarium.exe) &
verbarium=$!
window=
for _ in $(seq 1 120); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Verbarium \[Beta 3\]"/ {print $1; exit}')
  [[ -n "$window" ]] && break
  sleep 0.5
done
[[ -n "$window" ]] || { echo "run: Verbarium's main window did not open" >&2; exit 1; }
sleep 2  # let it paint
import -window "$window" "$shot"
kill "$verbarium" 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo "Verbarium ran in $workspace; its main window: $shot"
