#!/usr/bin/env bash
# Checks scripts/mutate.sh on a tiny list: each outcome is told and counted,
# a stale mutant and one that does not build are left out of the count, the
# source is as it was after the run and after a run stopped halfway, and
# --check and --generate give mutants that match the code.
# Usage: tests/mutate/check_mutate.sh (builds the native preset)
# Ends with "mutate: N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$here"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
expect() {  # what command...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "mutate: $what" >&2; failed=$((failed + 1)); fi
}

file=src/core/formats/dat_sniff.cpp
line_of() { grep -nF -- "$1" "$file" | head -n1 | cut -d: -f1; }
original=$(sha256sum "$file")
unchanged() { [[ "$(sha256sum "$file")" == "$original" ]]; }

counted=$(line_of 'b[4] == 1')
comment=$(line_of 'count as zero')
empty=$(line_of 'if (got == 0) return DatLayout::Empty;')
killed="$file:$counted: b[4] == 1 ==> b[4] != 1"
cat >"$work/list" <<EOF
# one of each
$killed
$file:$comment: count as zero ==> count as nothing

$file:$empty: return DatLayout::Empty; ==> return DatLayout::Empty
$file:$counted: no such text ==> x
EOF

scripts/mutate.sh "$work/list" >"$work/out" 2>&1
status=$?
expect "a run below 90% killed ends non-zero" test "$status" -ne 0
expect "the killed mutant is told" grep -qxF "killed    $killed" "$work/out"
expect "the comment's mutant survives" grep -q "^survived  $file:$comment: " "$work/out"
expect "the mutant without its semicolon does not build" grep -q "^no-build  $file:$empty: " "$work/out"
expect "the mutant whose text is not there is stale" grep -q "^stale     $file:$counted: no such text" "$work/out"
expect "the count leaves out what was not run" grep -qx "mutants: 1 killed, 1 survived, 2 total" "$work/out"
expect "the other two are told apart" grep -qx "not counted: 1 did not build, 1 stale" "$work/out"
expect "the source is as it was after the run" unchanged

# Stopped while a mutant is built or tested, it puts the source back.
echo "$killed" >"$work/one"
scripts/mutate.sh "$work/one" >"$work/stopped" 2>&1 &
run=$!
for _ in $(seq 1 1200); do
  unchanged || break
  sleep 0.05
done
expect "the mutant was planted" bash -c "! [[ \"\$(sha256sum $file)\" == \"$original\" ]]"
sleep 1
kill -TERM "$run"
wait "$run"
status=$?
expect "a stopped run ends with 130" test "$status" -eq 130
expect "the source is as it was after a stopped run" unchanged

# A mutant whose line moved is told with its new line.
printf '%s\n' "$file:$((counted + 1)): b[4] == 1 ==> b[4] != 1" >"$work/moved"
scripts/mutate.sh --check "$work/moved" >"$work/check"
expect "--check tells the line the text moved to" grep -qxF "  now     $killed" "$work/check"

scripts/mutate.sh --generate "$file" >"$work/generated"
expect "--generate proposes the bound of a short file" grep -qF "$file:$(line_of 'got < 4'): got < 4 ==> got <= 4" "$work/generated"
expect "--generate proposes only mutants that match the code" scripts/mutate.sh --check "$work/generated" >/dev/null
expect "--generate skips comments" bash -c "! grep -q ':$comment:' '$work/generated'"

echo "mutate: $passed passed, $failed failed"
((failed == 0))
