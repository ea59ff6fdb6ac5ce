#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test tier:
# native, sanitizers, the Windows build under Wine, the Windows release's
# install and uninstall under Wine, and a short fuzz run.
# Ends with one summary line and a non-zero exit code on any failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
use_utf8_locale

scripts/install-deps.sh test || { echo "tests: 0 passed, 1 failed"; exit 1; }

fuzz_seconds=${VERBARIUM_FUZZ_SECONDS:-20}
passed=0
failed=0
failures=()

# Adds a tier's counts: NAME GOOD BAD.
count() {
  passed=$((passed + $2))
  failed=$((failed + $3))
  (($3 == 0)) || failures+=("$1: $3 of $(($2 + $3))")
}

# Counts the CTest results of one preset from its summary line.
ctest_tier() {
  local preset=$1
  if ! { cmake --preset "$preset" >"build/$preset-configure.log" 2>&1 || { cat "build/$preset-configure.log"; false; }; } ||
     ! cmake --build --preset "$preset"; then
    failed=$((failed + 1)); failures+=("$preset: build"); return
  fi
  local log="build/$preset-ctest.log"
  # The Windows dialog tests need a display: Xvfb gives them one.
  local runner=()
  [[ "$preset" == win64 ]] && runner=(xvfb-run -a -s "-screen 0 1280x1024x24")
  "${runner[@]}" ctest --preset "$preset" 2>&1 | tee "$log"
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
  if [[ -z "$summary" ]]; then
    failed=$((failed + 1)); failures+=("$preset: no test ran"); return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
  count "$preset" $((total - bad)) "$bad"
}

fuzz_tier() {
  if ! { cmake --preset fuzz >build/fuzz-configure.log 2>&1 || { cat build/fuzz-configure.log; false; }; } ||
     ! cmake --build --preset fuzz; then
    failed=$((failed + 1)); failures+=("fuzz: build"); return
  fi
  local target name corpus
  for target in build/fuzz/tests/fuzz/fuzz_*; do
    [[ -x "$target" ]] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    [[ -d "tests/fuzz/seeds/$name" ]] && cp -n "tests/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null
    echo "== $name for ${fuzz_seconds}s"
    if "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="build/fuzz/$name-" "$corpus" >"build/fuzz/$name.log" 2>&1; then
      grep -E 'stat::number_of_executed_units' "build/fuzz/$name.log" || true
      passed=$((passed + 1))
    else
      tail -n 40 "build/fuzz/$name.log"
      failed=$((failed + 1)); failures+=("fuzz: $name")
    fi
  done
}

# Kills the command-line tools of the native build at random moments and
# checks what they leave.
crash_tier() {
  local log=build/crash.log summary
  tests/crash/kill_during_writes.sh build/native "${VERBARIUM_CRASH_KILLS:-20}" 2>&1 | tee "$log"
  summary=$(grep -E '^crash: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
  if [[ -z "$summary" ]]; then
    failed=$((failed + 1)); failures+=("crash: did not run"); return
  fi
  count crash "$(sed -E 's/crash: ([0-9]+) passed.*/\1/' <<<"$summary")" "$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$summary")"
}

# Makes the Windows release from the win64 build and checks it under Wine:
# the zip's files, the version resources, a silent install, a start and a
# silent uninstall.
package_tier() {
  local log=build/package.log summary
  if ! cmake --build --preset win64 --target package >build/package-build.log 2>&1; then
    cat build/package-build.log
    failed=$((failed + 1)); failures+=("package: build"); return
  fi
  tests/package/check_package.sh build/win64 2>&1 | tee "$log"
  summary=$(grep -E '^package: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
  if [[ -z "$summary" ]]; then
    failed=$((failed + 1)); failures+=("package: did not run"); return
  fi
  count package "$(sed -E 's/package: ([0-9]+) passed.*/\1/' <<<"$summary")" "$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$summary")"
}

# Runs one tier and says how long it took.
timed() {
  local start=$SECONDS
  "$@"
  timings+=("$*: $((SECONDS - start)) s")
}

timings=()
mkdir -p build
timed ctest_tier native
timed crash_tier
timed ctest_tier native-asan
timed scripts/wine-prefix.sh
timed ctest_tier win64
timed package_tier
timed fuzz_tier

for timing in "${timings[@]}"; do echo "time: $timing"; done
for failure in "${failures[@]}"; do echo "failed: $failure"; done
echo "tests: $passed passed, $failed failed"
((failed == 0))
