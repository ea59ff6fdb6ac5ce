#!/usr/bin/env bash
# The size of the tests beside the size of the code they test: non-blank lines
# of C++ sources and headers under tests/ against those under src/ and tools/.
# Fuzz seeds and other data are not code, nor is the generated lower-case
# table. With --limit it fails when the tests outgrow a third of the code:
# past that, tests restate the code instead of catching its faults.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
export LC_ALL=C

lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) \
      -not -path '*/seeds/*' -not -name 'lower_case_table.inc' -print0 |
    xargs -0 cat | grep -cv '^[[:space:]]*$'
}

tests=$(lines tests)
code=$(lines src tools)
echo "test lines: $tests, code lines: $code, tests are $((100 * tests / code))% of the code"
if [[ ${1:-} == --limit ]] && ((3 * tests > code)); then
  echo "line-count: the tests are more than a third of the code" >&2
  exit 1
fi
