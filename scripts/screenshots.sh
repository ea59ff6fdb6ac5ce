#!/usr/bin/env bash
# Takes a screenshot of each of Verbarium's windows at 96, 144 and 192 DPI for
# the user guides: docs/screenshots/<window>-<dpi>.png, each cropped to its
# window, frame and title included.
#
# Builds nothing: run it after the native and win64 builds (scripts/run.sh
# makes both). Each DPI gets a new demo workspace (scripts/demo-workspace.sh)
# with baseline tables and a table half translated, its own Wine prefix
# (scripts/wine-prefix.sh DPI) and its own virtual screen; the windows are
# opened from the keyboard, as a person would, through xdotool.
#
# Needs xdotool, and Wine's own fonts (fonts-wine), since Wine draws the
# window frames itself here and their buttons come from its Marlett font.
#
# A window joins by a function shoot_<window> that opens it, photographs it
# with `shoot`, and leaves the main window as it found it, and by its name in
# `windows` below.
# Usage: scripts/screenshots.sh [DPI...]   (96 144 192 when none is named)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
use_utf8_locale

windows=(
  baseline-setup main-window entry-list edit-dialog about
  load-question load-done export-message import-question import-done save-done
)
dpis=("$@")
((${#dpis[@]} > 0)) || dpis=(96 144 192)

"$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" screenshots
cli=build/native/tools/cli/verbarium-cli
[[ -x "$cli" && -f build/win64/src/program/Verbarium.exe ]] ||
  { echo "screenshots: build the native and win64 presets first (scripts/run.sh does)" >&2; exit 1; }

out=docs/screenshots
work=build/screenshots
mkdir -p "$out" "$work"

# The demo workspace as a translator has it after some work: its baselines
# and first translations, the fourth table partly translated too, and, in
# the second edition, a table that cannot be read, which Export then names.
workspace_with_work() {
  local ws=$1 table lines
  scripts/demo-workspace.sh "$ws" >/dev/null
  table="$ws/Shadow Wars/1021-2003_3_0.dat"
  "$cli" export "$table" "$table.txt" >/dev/null
  mapfile -t lines < <(iconv -f UTF-16 -t UTF-8 "$table.txt" | tr -d '\r')
  local translated=(
    "" "狼の毛皮を三枚持ってきてくれ。" "ルーンストーンがかすかな青い光を放っている。" "これ以上は持てません。"
    "ゲームをロード" "術者の周囲にいるすべての敵を凍らせる。" "月光花" "目標達成。"
    "エンバーフォールへの橋が焼け落ちた。" "マナが足りません。" "10秒かけてHPを50回復する。" "ゲームをセーブ"
    "フロストノヴァ" "オークたちが北の鉱山を奪った。"
  )
  local i
  for i in "${!translated[@]}"; do lines[i]=${translated[i]}; done
  { printf '\xff\xfe'; printf '%s\r\n' "${lines[@]}" | iconv -f UTF-8 -t UTF-16LE; } >"$table.txt"
  "$cli" import "$table" "$table.txt" >/dev/null
  rm -f "$table.txt"
  : >"$ws/Dragon Storm/1000-2000_0_0.dat"
}

# The X windows shown now, one id a line.
shown_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }

# Waits for a window that was not among BEFORE (shown_windows' output) and
# prints its id.
new_window() {
  local before=$1 id
  for _ in $(seq 1 100); do
    id=$(comm -13 <(echo "$before") <(shown_windows) | tail -n1)
    [[ -n "$id" ]] && { echo "$id"; return; }
    sleep 0.2
  done
  import -window root "$work/screen-$dpi.png"
  echo "screenshots: no new window opened; the screen was $work/screen-$dpi.png" >&2
  return 1
}

# Waits for the window whose title matches PATTERN and prints its id.
window_titled() {
  local id
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [[ -n "$id" ]] && { echo "$id"; return; }
    sleep 0.2
  done
  import -window root "$work/screen-$dpi.png"
  echo "screenshots: no window titled $1; the screen was $work/screen-$dpi.png" >&2
  return 1
}

# Gives the keyboard to window ID and presses KEYS there.
keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id"
  sleep 0.2
  for key in "$@"; do xdotool key "$key"; sleep 0.15; done
}

# Presses KEY in window ID, which closes it, and waits until it has gone.
close_with() {
  local key=$1 id=$2
  keys "$id" "$key"
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name '' 2>/dev/null | grep -qx "$id" || { sleep 0.3; return; }
    sleep 0.2
  done
  echo "screenshots: window $id stayed open" >&2
  return 1
}

# Saves window ID as docs/screenshots/NAME-<dpi>.png, once it has painted.
shoot() {
  local name=$1 id=$2
  sleep 1
  # Few colours and the tightest compression keep the guides' pictures small.
  import -window "$id" -strip -colors 256 -define png:compression-level=9 "PNG8:$out/$name-$dpi.png"
  echo "screenshots: $out/$name-$dpi.png"
}

# Puts the keyboard in the main window's table list, on its first table.
to_table_list() {
  xdotool windowfocus --sync "$main"
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$main")
  local WIDTH HEIGHT
  eval "$(grep -E '^(WIDTH|HEIGHT)=' <<<"$geometry")"
  # The list fills the left two thirds of the window below the tabs.
  xdotool mousemove --window "$main" $((WIDTH / 3)) $((HEIGHT * 2 / 3)) click 1
  sleep 0.2
  xdotool key Home
  sleep 0.2
}

# Presses the main window's button that is COUNT Tab presses after the table
# list, and prints the window it opens.
press_button() {
  local count=$1 before
  to_table_list
  for _ in $(seq 1 "$count"); do xdotool key Tab; sleep 0.1; done
  before=$(shown_windows)
  xdotool key space
  new_window "$before"
}

# Switches the main window to the edition tab at INDEX.
to_edition() {
  to_table_list
  xdotool key shift+Tab
  sleep 0.1
  for _ in 1 2 3; do xdotool key Left; sleep 0.1; done
  for _ in $(seq 1 "$1"); do xdotool key Right; sleep 0.1; done
  sleep 0.3
}

# Types PATH into the file prompt ID and opens it.
answer_file_prompt() {
  local id=$1 path=$2
  xdotool windowfocus --sync "$id"
  sleep 0.5
  xdotool type --delay 20 "$path"
  xdotool key Return
}

shoot_baseline-setup() {
  # Without a settings file the first start opens the baseline setup by itself.
  local id
  id=$(window_titled '^初期設定$')
  shoot baseline-setup "$id"
  close_with Return "$id"
}

shoot_main-window() { sleep 0.5; shoot main-window "$main"; }

shoot_entry-list() {
  # The fourth table, searched for "the" in its originals and translations.
  to_table_list
  xdotool key Down Down Down Return
  entries=$(window_titled '^編集するテキストを選択')
  keys "$entries" t h e Return
  shoot entry-list "$entries"
}

shoot_edit-dialog() {
  local before id
  before=$(shown_windows)
  # F2 on the first row shown.
  keys "$entries" Tab Tab Down F2
  id=$(new_window "$before")
  shoot edit-dialog "$id"
  close_with Escape "$id"
  close_with Escape "$entries"
}

shoot_about() {
  local before id
  before=$(shown_windows)
  keys "$main" alt+a
  id=$(new_window "$before")
  shoot about "$id"
  close_with Return "$id"
}

shoot_load-question() {
  question=$(press_button 2)
  shoot load-question "$question"
}

shoot_load-done() {
  local before prompt id
  before=$(shown_windows)
  keys "$question" Return
  prompt=$(new_window "$before")
  before=$(shown_windows)
  answer_file_prompt "$prompt" 'C:\Verbarium\demo.cff'
  id=$(new_window "$before")
  shoot load-done "$id"
  close_with Return "$id"
}

shoot_export-message() {
  local id
  to_edition 1
  id=$(press_button 5)
  shoot export-message "$id"
  close_with Return "$id"
  to_edition 0
}

shoot_import-question() {
  # Export writes every table's text file without a word; Import reads them back.
  to_table_list
  xdotool key Tab Tab Tab Tab Tab space
  sleep 3
  question=$(press_button 4)
  shoot import-question "$question"
}

shoot_import-done() {
  local before id
  before=$(shown_windows)
  keys "$question" Return
  id=$(new_window "$before")
  shoot import-done "$id"
  close_with Return "$id"
}

shoot_save-done() {
  local prompt before id
  prompt=$(press_button 3)
  before=$(shown_windows)
  answer_file_prompt "$prompt" 'C:\Verbarium\demo-translated.cff'
  id=$(new_window "$before")
  shoot save-done "$id"
  close_with Return "$id"
}

xvfb=
cleanup() {
  [[ -z "${WINEPREFIX:-}" ]] || wineserver -k 2>/dev/null || true
  [[ -z "$xvfb" ]] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

for dpi in "${dpis[@]}"; do
  scripts/wine-prefix.sh "$dpi"
  export WINEPREFIX=$here/build/wine-prefix-$dpi WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  # The workspace lies where a Windows user might unzip the release, so that
  # the paths the messages show are such a user's.
  ws=$WINEPREFIX/drive_c/Verbarium
  rm -rf "$ws"
  workspace_with_work "$ws"
  # Wine draws the frames and titles, which no window manager does here.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # Wine's desktop process, which that started without a screen, ends first.
  wineserver -w
  # The frames' buttons need Marlett. Wine's other fonts stay out: its Tahoma
  # has no Japanese, and the titles would show boxes for it.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

  # A screen as many pixels larger as the DPI is, so every window has the room it has at 96.
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$((1280 * dpi / 96))x$((1024 * dpi / 96))x24" 3>"$displayfile" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do [[ -s "$displayfile" ]] && break; sleep 0.1; done
  DISPLAY=":$(cat "$displayfile")"
  export DISPLAY
  rm -f "$displayfile"

  (cd "$ws" && exec wine Verbarium.exe) &
  main=$(window_titled '^Verbarium \[Beta 3\]$')
  for window in "${windows[@]}"; do "shoot_$window"; done

  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  xvfb=
done
