#!/usr/bin/env bash
# Checks the Windows release of a build under Wine: the zip holds exactly the
# release's files; every program carries its version resource; the installer,
# run silently, installs per user into a folder whose path has blanks and
# Japanese characters, from where Verbarium starts and verbarium-cli tells its
# version; the uninstaller removes the program's files and leaves every file
# of the translator's in place.
# Usage: tests/package/check_package.sh BUILD_DIR
# (after `cmake --build --preset win64 --target package`). Ends with one line
# `package: N passed, N failed` and a non-zero exit code on any failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:?usage: check_package.sh BUILD_DIR}" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/scripts/wine-env.sh"
use_utf8_locale
export WINEPREFIX=${WINEPREFIX:-$here/build/wine-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
"$here/scripts/wine-prefix.sh"

passed=0
failed=0
# Counts one check: NAME, then the command that must succeed.
check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name" >&2
  fi
}
same() { [[ "$1" == "$2" ]] || { printf 'expected:\n%s\ngot:\n%s\n' "$2" "$1" >&2; false; }; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/Verbarium-$version-win64.zip"
setup="$build/Verbarium-$version-win64-setup.exe"
check "the zip is there" test -f "$zip"
check "the installer is there" test -f "$setup"

# What the release holds: the programs, the empty folders Verbarium works in,
# and every user guide (with the screenshots when a guide shows them).
release_files=(
  Verbarium.exe CRATEWORK.EXE verbarium-cli.exe
  "Shadow Wars/" "Dragon Storm/" "Faith in Destiny/" temp/
  docs/
)
for guide in "$here"/docs/user-guide*.md; do
  release_files+=("docs/$(basename "$guide")")
  if grep -q 'screenshots/' "$guide"; then
    release_files+=(docs/screenshots/)
    for shot in "$here"/docs/screenshots/*; do release_files+=("docs/screenshots/$(basename "$shot")"); done
  fi
done
expected=$(printf '%s\n' "${release_files[@]}" | sort -u)

listing=$(cd "$build" && cmake -E tar tf "$zip" | sed "s|^Verbarium-$version-win64/||" | sort)
check "the zip holds exactly the release's files" same "$listing" "$expected"

# The value of one string of a program's version resource: its strings are
# UTF-16, each key followed by its value.
resource_string() {
  iconv -c -f UTF-16LE -t UTF-8 "$1" 2>/dev/null |
    awk -v RS='\0' -v key="$2" 'found && $0 != "" {print; exit} $0 ~ ("[^[:alnum:]]" key "$") {found=1}'
}
unpacked=$(mktemp -d)
xvfb=
trap 'rm -rf "$unpacked"; [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
while IFS='|' read -r program description; do
  file="$unpacked/Verbarium-$version-win64/$program"
  check "$program: FileDescription" same "$(resource_string "$file" FileDescription)" "$description"
  check "$program: ProductName" same "$(resource_string "$file" ProductName)" Verbarium
  check "$program: FileVersion" same "$(resource_string "$file" FileVersion)" "$version"
  check "$program: ProductVersion" same "$(resource_string "$file" ProductVersion)" "$version"
done <<'TABLE'
Verbarium.exe|Verbarium
verbarium-cli.exe|Verbarium command-line companion
CRATEWORK.EXE|Verbarium archive packer
TABLE
check "cratework --version" same "$(wine "$unpacked/Verbarium-$version-win64/CRATEWORK.EXE" --version | tr -d '\r')" \
  "cratework $version"

# Install silently into a folder whose path has blanks and Japanese characters.
windows_dir='C:\users\Public\翻訳 ツール\Verbarium 0'
dir="$WINEPREFIX/drive_c/users/Public/翻訳 ツール/Verbarium 0"
rm -rf "$WINEPREFIX/drive_c/users/Public/翻訳 ツール"
# /D= takes the rest of the command line as it is, blanks and all, unquoted:
# cmd passes the line on untouched, where wine would quote the argument.
(cd "$build" && wine cmd /c "$(basename "$setup") /S /D=$windows_dir")
wineserver -w
installed=$(cd "$dir" 2>/dev/null && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \) | sort)
check "the installer puts the release's files and its uninstaller there" \
  same "$installed" "$(printf '%s\n' "${release_files[@]}" Uninstall.exe | sort -u)"
start_menu=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Verbarium.lnk' -not -path '*/Public/*' | head -n1)
check "a Start menu entry for the user" test -n "$start_menu"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Verbarium'
check "the uninstaller is registered for the user" \
  bash -c "wine reg query '$key' /v UninstallString 2>/dev/null | grep -q 'Uninstall.exe'"
check "verbarium-cli --version answers from there" \
  same "$(cd "$dir" && wine verbarium-cli.exe --version | tr -d '\r')" "verbarium-cli $version"

# Verbarium starts from there and shows its main window. A settings file
# keeps the first-run baseline setup shut.
printf '[Verbarium]\r\n' >"$dir/Verbarium.ini"
# A Wine session started without a display cannot show windows: let the
# console runs above end theirs first.
wineserver -w
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [[ -s "$displayfile" ]] && break; sleep 0.1; done
display=":$(cat "$displayfile")"
rm -f "$displayfile"
(cd "$dir" && DISPLAY=$display exec wine Verbarium.exe) &
verbarium=$!
window=
for _ in $(seq 1 120); do
  window=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | awk '/"Verbarium \[Beta 3\]"/ {print $1; exit}')
  [[ -n "$window" ]] && break
  kill -0 "$verbarium" 2>/dev/null || break
  sleep 0.5
done
check "Verbarium's main window opens from the installed folder" test -n "$window"
kill "$verbarium" 2>/dev/null
wineserver -w
kill "$xvfb" 2>/dev/null
xvfb=

# The translator's files, each with its own bytes; temp is left empty, so the
# uninstaller may remove it.
user_files=(
  "Verbarium.ini"
  "Shadow Wars/1000-2000_0_0.dat"
  "Shadow Wars/1000-2000_0_0.dat.org"
  "Dragon Storm/1000-2000_0_0.dat.bak"
  "Dragon Storm/1000-2000_0_0.dat.canceled"
  "Faith in Destiny/backup/20250304-120005/1000-2000_0_0.dat"
)
for file in "${user_files[@]}"; do
  mkdir -p "$(dirname "$dir/$file")"
  printf 'kept: %s\r\n' "$file" >"$dir/$file"
done

# The uninstaller copies itself to temp and returns at once: wait until its
# copy has removed it, then until every Wine process has ended.
wine "$dir/Uninstall.exe" /S
for _ in $(seq 1 120); do [[ -e "$dir/Uninstall.exe" ]] || break; sleep 0.5; done
wineserver -w
for file in "${user_files[@]}"; do
  check "the uninstaller keeps $file" same "$(cat "$dir/$file" 2>/dev/null)" "$(printf 'kept: %s\r' "$file")"
done
for file in "${release_files[@]}" Uninstall.exe; do
  case "$file" in
    */) [[ " ${user_files[*]}" == *" ${file}"* ]] && continue ;;  # holds the user's files
  esac
  check "the uninstaller removes ${file%/}" test ! -e "$dir/${file%/}"
done
check "the Start menu entry is gone" test ! -e "$start_menu"
check "the registration is gone" bash -c "! wine reg query '$key' >/dev/null 2>&1"

echo "package: $passed passed, $failed failed"
((failed == 0))
