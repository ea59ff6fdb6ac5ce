#!/usr/bin/env bash
# Plants one small fault at a time in the code, rebuilds the native unit tests
# and runs them: a mutant that some test fails on is killed, one that every
# test passes survived, and a survivor is a fault that would reach the person
# unseen.
#
# Usage: scripts/mutate.sh [LIST]             runs the mutants of LIST
#                                             (tests/mutants.txt by default)
#        scripts/mutate.sh --generate FILE    prints mutants proposed for FILE
#        scripts/mutate.sh --check LIST       tells the stale mutants of LIST
#                                             and where their text went
#        scripts/mutate.sh --refresh LIST     prints LIST with the mutants
#                                             whose text moved put right
#
# A mutant is one line of a list:
#     PATH:LINE: FIND ==> REPLACEMENT
# PATH is relative to the repository; FIND must occur exactly once on line
# LINE, and REPLACEMENT (which may be empty) takes its place. A mutant whose
# line no longer holds FIND once is reported stale and left out. Blank lines
# and lines that begin with # are skipped.
#
# Prints one line per mutant, its outcome and the mutant as written:
# killed, time-out (a test run that hangs; counted as killed), survived,
# no-build (the mutant does not compile) or stale, the last two left out of
# the count. `sed -n 's/^survived *//p'` of the output is a list of the
# survivors to run again. Ends with "mutants: K killed, S survived, N total"
# and exits non-zero when fewer than 90% are killed. The build and test
# output of the last mutant and each mutant's failing tests are kept in
# build/mutate/.
# VERBARIUM_MUTANT_TIMEOUT: the seconds a mutant's test run may take (60).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
# Bytes, not letters: FIND is matched and cut byte by byte on any locale.
export LC_ALL=C

usage() { echo "usage: scripts/mutate.sh [LIST] | --generate FILE | --check LIST | --refresh LIST" >&2; exit 2; }

# Proposes the mutants of one file by simple patterns, skipping comments,
# string and character literals and preprocessor lines. Each FIND grows by a
# word on either side until it is unique on its line.
generate() {
  local file=$1
  [[ -f "$file" ]] || { echo "mutate: no file $file" >&2; exit 2; }
  awk -v path="$(realpath --relative-to="$here" "$file")" '
    function mask(s,    out, i, n, c, q) {
      out = ""; n = length(s); i = 1
      while (i <= n) {
        c = substr(s, i, 1)
        if (inblock) {
          if (substr(s, i, 2) == "*/") { inblock = 0; out = out "##"; i += 2 } else { out = out "#"; i++ }
          continue
        }
        if (substr(s, i, 2) == "//") { while (i <= n) { out = out "#"; i++ }; break }
        if (substr(s, i, 2) == "/*") { inblock = 1; out = out "##"; i += 2; continue }
        # A quote after a digit is a digit separator (1'\''000), not a literal.
        if (c == "\"" || (c == "'\''" && !(i > 1 && substr(s, i - 1, 1) ~ /[0-9A-Fa-f]/))) {
          q = c; out = out c; i++
          while (i <= n) {
            c = substr(s, i, 1)
            if (c == "\\") { out = out "#"; if (i < n) out = out "#"; i += 2; continue }
            if (c == q) { out = out c; i++; break }
            out = out "#"; i++
          }
          continue
        }
        out = out c; i++
      }
      return out
    }
    function occurrences(s, t,    k, p) {
      k = 0
      while ((p = index(s, t)) > 0) { k++; s = substr(s, p + 1) }
      return k
    }
    function growleft(s, a) {
      while (a > 1 && substr(s, a - 1, 1) ~ /[ \t]/) a--
      if (a > 1 && substr(s, a - 1, 1) ~ /[A-Za-z0-9_]/) {
        while (a > 1 && substr(s, a - 1, 1) ~ /[A-Za-z0-9_]/) a--
      } else if (a > 1) a--
      return a
    }
    function growright(s, b,    n) {
      n = length(s)
      while (b < n && substr(s, b + 1, 1) ~ /[ \t]/) b++
      if (b < n && substr(s, b + 1, 1) ~ /[A-Za-z0-9_]/) {
        while (b < n && substr(s, b + 1, 1) ~ /[A-Za-z0-9_]/) b++
      } else if (b < n) b++
      return b
    }
    # Prints the mutant that puts NEW in place of the LEN bytes at P.
    # An operator comes with its operands, so that the mutant reads as code.
    function propose(s, p, len, new,    a, b, find, n, grown) {
      n = length(s); a = p; b = p + len - 1; grown = len > 2
      while (1) {
        find = substr(s, a, b - a + 1)
        if (grown && occurrences(s, find) == 1 && find !~ /^[ \t]/ && find !~ /[ \t]$/) break
        if (a == 1 && b == n) return
        a = growleft(s, a); b = growright(s, b); grown = 1
      }
      print path ":" FNR ": " find " ==> " substr(s, a, p - a) new substr(s, p + len, b - p - len + 1)
    }
    # Proposes NEW for every occurrence of OP in the masked line.
    function each(s, m, op, new, skip,    p, off) {
      off = 0
      while ((p = index(substr(m, off + 1), op)) > 0) {
        p += off; off = p
        propose(s, p + skip, length(op) - 2 * skip, new)
      }
    }
    BEGIN {
      ops[1] = " <= "; swaps[1] = "<";  ops[2] = " < ";  swaps[2] = "<="
      ops[3] = " >= "; swaps[3] = ">";  ops[4] = " > ";  swaps[4] = ">="
      ops[5] = " == "; swaps[5] = "!="; ops[6] = " != "; swaps[6] = "=="
      ops[7] = " && "; swaps[7] = "||"; ops[8] = " || "; swaps[8] = "&&"
    }
    {
      s = $0; m = mask(s)
      if (m ~ /^[ \t]*#/) { prev = m; next }
      for (k = 1; k <= 8; k++) each(s, m, ops[k], swaps[k], 1)
      off = 0
      while (match(substr(m, off + 1), /return (true|false)[^A-Za-z0-9_]/)) {
        p = off + RSTART; off = p
        if (substr(m, p + 7, 4) == "true") propose(s, p, 11, "return false")
        else propose(s, p, 12, "return true")
      }
      off = 0
      while (match(substr(m, off + 1), / [-+] 1([^A-Za-z0-9_.]|$)/)) {
        p = off + RSTART; off = p
        propose(s, p, 4, "")
        propose(s, p + 1, 1, substr(m, p + 1, 1) == "+" ? "-" : "+")
      }
      off = 0
      while (match(substr(m, off + 1), /![A-Za-z_(]/)) {
        p = off + RSTART; off = p
        propose(s, p, 1, "")
      }
      # A call on a line of its own, after a whole statement or a brace.
      t = m; sub(/^[ \t]+/, "", t); sub(/[ \t]+$/, "", t)
      pt = prev; sub(/[ \t]+$/, "", pt)
      if (t ~ /^[A-Za-z_][A-Za-z0-9_:.>-]*\(.*\);$/ && (pt ~ /[;{}:]$/ || pt ~ /^[ \t]*$/) &&
          t !~ /^(return|throw|delete|co_return|co_yield|co_await|static_assert|if|for|while|switch|sizeof)[^A-Za-z0-9_]/ &&
          gsub(/\(/, "(", t) == gsub(/\)/, ")", t)) {
        p = match(m, /[^ \t]/)
        propose(s, p, length(t), "")
      }
      prev = m
    }' "$file"
}

# Splits one mutant of a list into path, line, find and replacement; fails
# on a line of another shape.
parse() {  # spec
  [[ "$1" =~ ^([^:]+):([0-9]+):\ (.*\ ==>.*)$ ]] || return 1
  path=${BASH_REMATCH[1]}
  line=${BASH_REMATCH[2]}
  local rest=${BASH_REMATCH[3]}
  find=${rest%% ==>*}
  replacement=${rest#* ==>}
  replacement=${replacement# }
}

# Says which mutants of a list are stale, and for each whose FIND now stands
# on exactly one line of its file, the mutant with that line. With --refresh
# the list itself goes to standard output with those lines put right, and
# the report to standard error.
check() {  # list [refresh]
  local spec stale=0 total=0 lines moved report=1
  [[ -n "${2:-}" ]] && report=2
  while IFS= read -r spec || [[ -n "$spec" ]]; do
    moved=""
    if [[ ! "$spec" =~ ^[[:space:]]*(#|$) ]]; then
      total=$((total + 1))
      path="" find=""
      if ! { parse "$spec" && [[ -f "$path" ]] && mutate "$path" "$line" "$find" "$replacement" >/dev/null; }; then
        stale=$((stale + 1))
        echo "stale     $spec" >&"$report"
        if [[ -n "${find:-}" && -f "${path:-}" ]]; then
          lines=$(grep -nF -- "$find" "$path" | cut -d: -f1)
          if [[ $(wc -w <<<"$lines") -eq 1 ]] && mutate "$path" "$lines" "$find" "$replacement" >/dev/null; then
            moved="$path:$lines: $find ==> $replacement"
            echo "  now     $moved" >&"$report"
          fi
        fi
      fi
    fi
    [[ -n "${2:-}" ]] && echo "${moved:-$spec}"
  done <"$1"
  echo "check: $stale stale of $total" >&"$report"
  ((stale == 0))
}

# Writes the mutated copy of PATH to standard output; fails when LINE does
# not hold FIND exactly once.
mutate() {  # path line find replacement
  MUT_LINE=$2 MUT_FIND=$3 MUT_REPL=$4 awk '
    function occurrences(s, t,    k, p) {
      k = 0
      while ((p = index(s, t)) > 0) { k++; s = substr(s, p + 1) }
      return k
    }
    BEGIN { n = ENVIRON["MUT_LINE"] + 0; find = ENVIRON["MUT_FIND"]; repl = ENVIRON["MUT_REPL"]; done = 0 }
    FNR == n && find != "" && find != repl && occurrences($0, find) == 1 {
      p = index($0, find)
      $0 = substr($0, 1, p - 1) repl substr($0, p + length(find))
      done = 1
    }
    { print }
    END { exit done ? 0 : 1 }' "$1"
}

case "${1:-}" in
  --generate) [[ $# -eq 2 ]] || usage; generate "$2"; exit 0 ;;
  --check) [[ $# -eq 2 && -f "$2" ]] || usage; check "$2"; exit ;;
  --refresh) [[ $# -eq 2 && -f "$2" ]] || usage; check "$2" refresh; exit ;;
  -*) usage ;;
esac
[[ $# -le 1 ]] || usage
list=${1:-tests/mutants.txt}
[[ -f "$list" ]] || { echo "mutate: no list $list" >&2; exit 2; }
timeout_s=${VERBARIUM_MUTANT_TIMEOUT:-60}
tests_bin=build/native/tests/unit/verbarium_unit_tests
logs=build/mutate
mkdir -p "$logs"
saved=$(mktemp -d "${TMPDIR:-/tmp}/mutate.XXXXXX")
: >"$logs/results.txt"

current=""  # the file that holds a mutant now
child=""    # the build or test run now going

# Puts the saved file back. A fresh time stamp makes the next build compile
# it again, so no object of a mutant outlives its source.
restore() {
  [[ -n "$current" ]] || return 0
  cat "$saved/original" >"$current"
  touch "$current"
}

# The runs go in a process group of their own, so that stopping one stops
# the compiler or the test program it started.
stop_child() {
  [[ -n "$child" ]] || return 0
  kill -TERM -- "-$child" 2>/dev/null
  wait "$child" 2>/dev/null
  child=""
}

on_signal() {
  restore
  stop_child
  # A compiler stopped late may have written a mutant's object after the
  # source was put back: the source must still be the newer of the two.
  restore
  current=""
  echo "mutate: interrupted; every file is as it was" >&2
  exit 130
}

on_exit() {
  restore
  stop_child
  restore
  rm -rf "$saved" ${tests_tmp:+"$tests_tmp"}
}
trap on_exit EXIT
trap on_signal INT TERM HUP

# Runs a command into a log and waits for it, where a signal can stop it.
run() {  # log command...
  local log=$1 status
  shift
  setsid "$@" >"$log" 2>&1 &
  child=$!
  # A test program that crashes is a killed mutant, told once, not by bash.
  wait "$child" 2>/dev/null
  status=$?
  child=""
  return "$status"
}

build() {
  run "$logs/build.log" cmake --build --preset native --target verbarium_unit_tests -j2
}

# The tests write and sync many small files: in memory a run takes a few
# seconds instead of a quarter of a minute, on a list of hundreds of mutants.
tests_tmp=""
if [[ -d /dev/shm && -w /dev/shm ]]; then tests_tmp=$(mktemp -d /dev/shm/mutate-tests.XXXXXX); fi

run_tests() {  # seconds
  run "$logs/test.log" env TMPDIR="${tests_tmp:-${TMPDIR:-/tmp}}" timeout -k 5 "$1" "$tests_bin" --gtest_brief=1
}

if [[ ! -f build/native/CMakeCache.txt ]]; then
  cmake --preset native >"$logs/configure.log" 2>&1 || { cat "$logs/configure.log"; exit 1; }
fi
start=$SECONDS
if ! build; then
  cat "$logs/build.log"; echo "mutate: the unchanged code does not build" >&2; exit 1
fi
# The unchanged code gets all the time it needs: only a mutant can hang.
if ! run_tests 600; then
  tail -n 40 "$logs/test.log"; echo "mutate: the tests fail on the unchanged code" >&2; exit 1
fi

killed=0
survived=0
no_build=0
stale=0
survivors=()
while IFS= read -r spec || [[ -n "$spec" ]]; do
  [[ "$spec" =~ ^[[:space:]]*(#|$) ]] && continue
  outcome=stale
  if parse "$spec"; then
    if [[ -f "$path" ]] && cp -p "$path" "$saved/original" &&
       mutate "$path" "$line" "$find" "$replacement" >"$saved/mutant"; then
      mutant_start=$SECONDS
      current=$path
      cat "$saved/mutant" >"$path"
      if ! build; then
        outcome=no-build
      elif run_tests "$timeout_s"; then
        outcome=survived
      else
        case $? in
          124 | 137) outcome=time-out ;;
          *) outcome=killed ;;
        esac
      fi
      restore
      current=""
      failing=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$logs/test.log" | sort -u | paste -sd ' ')
      [[ "$outcome" == no-build ]] && failing=""
      printf '%s\t%s s\t%s\t%s\n' "$outcome" $((SECONDS - mutant_start)) "$spec" "$failing" >>"$logs/results.txt"
    fi
  fi
  case $outcome in
    killed | time-out) killed=$((killed + 1)) ;;
    survived) survived=$((survived + 1)); survivors+=("$spec") ;;
    no-build) no_build=$((no_build + 1)) ;;
    stale) stale=$((stale + 1)) ;;
  esac
  printf '%-9s %s\n' "$outcome" "$spec"
done <"$list"

# Leaves the build as the sources are, for whoever builds or tests next.
build || echo "mutate: the unchanged code no longer builds; see $logs/build.log" >&2

total=$((killed + survived))
echo "not counted: $no_build did not build, $stale stale"
echo "time: $((SECONDS - start)) s"
echo "mutants: $killed killed, $survived survived, $total total"
((total == 0 || killed * 10 >= total * 9))
