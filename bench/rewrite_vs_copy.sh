#!/usr/bin/env bash
# verbarium-cli rewrite of a 200,000-entry table of each layout beside cp of
# the same file, and the peak memory of the rewrite. The rewrite puts the new
# table on the disk before it renames it over the old one; cp does not, so
# the copy is also timed with an fsync (dd conv=fsync), the like-for-like
# baseline. The tables come from the
# benchmark program (run it once first: build/native/bench/verbarium_bench).
# Usage: bench/rewrite_vs_copy.sh [build dir] [runs]
set -euo pipefail
build=${1:-build/native}
runs=${2:-10}
cli="$build/tools/cli/verbarium-cli"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
best() {  # fastest of $runs runs of a command, in milliseconds
  local best=999999 start end ms
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
    ms=$(((end - start) / 1000000)); ((ms < best)) && best=$ms
  done
  echo "$best"
}
printf '%-7s %7s %6s %13s %10s %12s %14s %8s %12s\n' layout MB cp_ms cp_fsync_ms rewrite_ms ratio_to_cp ratio_to_fsync peak_MB peak_to_file
for layout in 1 2 3 4 5; do
  table="${TMPDIR:-/tmp}/verbarium-bench-$layout.dat"
  [[ -f "$table" ]] || { echo "missing $table: run the benchmark program first" >&2; exit 1; }
  bytes=$(stat -c %s "$table")
  copy=$(best cp "$table" "$tmp/copy.dat")
  synced=$(best dd if="$table" of="$tmp/synced.dat" bs=1M conv=fsync status=none)
  rewrite=$(best "$cli" rewrite "$table" "$tmp/rewritten.dat")
  cmp -s "$table" "$tmp/rewritten.dat" || { echo "layout $layout: rewrite changed the bytes" >&2; exit 1; }
  peak=$( { /usr/bin/time -f %M "$cli" rewrite "$table" "$tmp/rewritten.dat" >/dev/null; } 2>&1 | tail -n1)
  awk -v l="$layout" -v b="$bytes" -v c="$copy" -v s="$synced" -v r="$rewrite" -v p="$peak" 'BEGIN {
    printf "%-7s %7.1f %6d %13d %10d %12.2f %14.2f %8.1f %12.2f\n", l, b/1e6, c, s, r, r/(c>0?c:1), r/(s>0?s:1), p/1024, p*1024/b }'
done
