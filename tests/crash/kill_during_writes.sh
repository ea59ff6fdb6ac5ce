#!/usr/bin/env bash
# Kills verbarium-cli's rewrite, import, pack and unpack (with the packer they
# start) at random moments, and checks what a kill may leave: every target is
# its old or its new version, whole, and the next run in that place completes
# or undoes what the killed one left and leaves no file of its own behind.
# Usage: tests/crash/kill_during_writes.sh BUILD_DIR [KILLS_PER_COMMAND]
# Ends with "crash: N passed, N failed".
set -uo pipefail
build=$(cd "${1:?usage: kill_during_writes.sh BUILD_DIR [KILLS]}" && pwd)
kills=${2:-25}
cli="$build/tools/cli/verbarium-cli"
work=$(mktemp -d "$build/crash.XXXXXX")
trap 'rm -rf "$work"' EXIT
export PATH="$build/tools/cratework:$PATH"

passed=0
failed=0
fail() { echo "crash: $*" >&2; failed=$((failed + 1)); }

# A layout 3 table of 2^k records of a six-byte key and the four-unit text
# given (four ASCII letters), about 18 bytes a record.
make_table() {  # out letters k
  local out=$1 letters=$2 k=$3 unit
  printf '\x0a\x00\x00\x00' >"$out"
  { printf '\x01\x00\x00\x00\x03\x00\x04\x00\x00\x00'
    for unit in $(fold -w1 <<<"$letters"); do printf '%s\x00' "$unit"; done; } >"$work/record"
  for _ in $(seq 1 "$k"); do cat "$work/record" "$work/record" >"$work/twice"; mv "$work/twice" "$work/record"; done
  cat "$work/record" >>"$out"
  rm -f "$work/record"
}

# Files the commands must not leave once the next run is over.
leftovers() {  # dir
  find "$1" -maxdepth 1 -type f \( -name '*.tmp' -o -name '*.lock' -o -name 'temp.bin' -o -name '*.zlib' \
    -o -name '*journal*' -o -name '*.~*' \) -printf '%f\n'
}

# Whether a process of the session is still there and has not ended: a
# killed one takes a moment to go, and until then its files are its own.
session_alive() {  # session id
  local stat line fields
  for stat in /proc/[0-9]*/stat; do
    { read -r line <"$stat"; } 2>/dev/null || continue
    read -r -a fields <<<"${line##*) }"  # state, parent, group, session, ...
    [[ ${fields[3]} == "$1" && ${fields[0]} != Z ]] && return 0
  done
  return 1
}

# Runs the command in a session of its own and kills the whole session after
# a random moment up to the given number of milliseconds.
kill_after_random() {  # max_ms command...
  local max=$1; shift
  setsid "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$(awk -v r=$RANDOM -v m="$max" 'BEGIN { printf "%.3f", r / 32768 * m / 1000 }')"
  kill -9 -- "-$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  for _ in $(seq 1 250); do session_alive "$pid" || break; sleep 0.02; done
}

same_as_one_of() {  # file old new
  cmp -s "$1" "$2" || cmp -s "$1" "$3"
}

old="$work/old.dat"
new="$work/new.dat"
make_table "$old" abcd 18
make_table "$new" zbcd 18
"$cli" export "$old" "$work/old.txt" || fail "export for the setup"
tr a z <"$work/old.txt" >"$work/new.txt"

# rewrite: OUT holds the old table; IN is the new one.
for ((i = 0; i < kills; i++)); do
  dir="$work/rewrite"; mkdir -p "$dir"; cp "$old" "$dir/t.dat"
  kill_after_random 80 "$cli" rewrite "$new" "$dir/t.dat"
  same_as_one_of "$dir/t.dat" "$old" "$new" || { fail "rewrite left a torn table"; continue; }
  "$cli" rewrite "$new" "$dir/t.dat" >/dev/null 2>&1 || { fail "rewrite after a kill failed"; continue; }
  [[ -z $(leftovers "$dir") ]] || { fail "rewrite left $(leftovers "$dir" | head -n1)"; continue; }
  passed=$((passed + 1)); rm -rf "$dir"
done

# import: the table is old; the exchange file holds the new texts.
for ((i = 0; i < kills; i++)); do
  dir="$work/import"; mkdir -p "$dir"; cp "$old" "$dir/t.dat"; cp "$work/new.txt" "$dir/t.dat.txt"
  kill_after_random 120 "$cli" import "$dir/t.dat"
  same_as_one_of "$dir/t.dat" "$old" "$new" || { fail "import left a torn table"; continue; }
  "$cli" import "$dir/t.dat" >/dev/null 2>&1 || { fail "import after a kill failed"; continue; }
  cmp -s "$dir/t.dat" "$new" || { fail "import after a kill gave another table"; continue; }
  [[ -z $(leftovers "$dir") ]] || { fail "import left $(leftovers "$dir" | head -n1)"; continue; }
  passed=$((passed + 1)); rm -rf "$dir"
done

# Archives of eight tables each: all old texts, all new texts.
names=(1000-2000_0_0 1000-2000_0_1 1000-2000_0_2 1000-2000_0_3 2000-3000_1_0 2000-3000_1_1 2000-3000_1_2 2000-3000_1_3)
for set in old new; do
  mkdir -p "$work/$set-tables"
  for name in "${names[@]}"; do cp "$work/$set.dat" "$work/$set-tables/$name.dat"; done
  "$cli" pack "$work/$set-tables" "$work/$set.cff" || fail "pack for the setup"
done

# pack: the archive is the old one; the directory holds the new tables.
for ((i = 0; i < kills; i++)); do
  dir="$work/pack"; rm -rf "$dir" "$work/archives"; cp -r "$work/new-tables" "$dir"
  mkdir -p "$work/archives"; cp "$work/old.cff" "$work/archives/packed.cff"
  kill_after_random 400 "$cli" pack "$dir" "$work/archives/packed.cff"
  same_as_one_of "$work/archives/packed.cff" "$work/old.cff" "$work/new.cff" || { fail "pack left a torn archive"; continue; }
  "$cli" pack "$dir" "$work/archives/packed.cff" >/dev/null 2>&1 || { fail "pack after a kill failed"; continue; }
  left=$(leftovers "$dir"; leftovers "$work/archives")
  [[ -z $left ]] || { fail "pack left $left"; continue; }
  passed=$((passed + 1))
done

# unpack: the directory holds the old tables; the archive the new ones. The
# next run there (a pack) first completes or undoes the killed one: the
# tables are then all of one archive, never a mix; an unpack after it
# leaves no file of the killed run.
for ((i = 0; i < kills; i++)); do
  dir="$work/unpack"; rm -rf "$dir"; cp -r "$work/old-tables" "$dir"
  kill_after_random 600 "$cli" unpack "$work/new.cff" "$dir"
  "$cli" pack "$dir" "$work/check.cff" >/dev/null 2>&1 || { fail "pack after a killed unpack failed"; continue; }
  mixed=0 first=
  for name in "${names[@]}"; do
    table="$dir/$name.dat"
    same_as_one_of "$table" "$old" "$new" || { mixed=2; break; }
    kind=old; cmp -s "$table" "$new" && kind=new
    [[ -z $first ]] && first=$kind
    [[ $kind == "$first" ]] || mixed=1
  done
  ((mixed == 2)) && { fail "unpack left a torn table"; continue; }
  ((mixed == 1)) && { fail "unpack left old and new tables side by side"; continue; }
  "$cli" unpack "$work/new.cff" "$dir" >/dev/null 2>&1 || { fail "unpack after a kill failed"; continue; }
  for name in "${names[@]}"; do cmp -s "$dir/$name.dat" "$new" || mixed=1; done
  ((mixed == 0)) || { fail "unpack after a kill gave other tables"; continue; }
  [[ -z $(leftovers "$dir") ]] || { fail "unpack left $(leftovers "$dir" | head -n1)"; continue; }
  passed=$((passed + 1))
done

echo "crash: $passed passed, $failed failed"
((failed == 0))
