#!/usr/bin/env bash
# The whole-process cost of verbarium-cli's rewrite, export and import beside
# a copy of the same bytes, and their peak memory beside the files they read.
#
# rewrite and import put the new table on the disk before they rename it over
# the old one, so the like-for-like anchor is a durable copy of the table
# (dd conv=fsync); a plain cp is shown too. The tables lie in the build
# folder, on the project's own disk: on a tmpfs an fsync costs nothing.
#
# Tables: a table of each layout of about 36 MB (the benchmark program's
# 200,000-entry tables, their records twice), and one of 8 million empty
# ten-byte records, whose memory is the hard case.
# Usage: bench/rewrite_vs_copy.sh [build dir] [runs]
set -euo pipefail
build=${1:-build/native}
runs=${2:-5}
cli="$build/tools/cli/verbarium-cli"
work="$build/bench-tables"
mkdir -p "$work"
tmp=$(mktemp -d "$work/run.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# The benchmark program writes its 200,000-entry tables on first use.
source_table() { echo "${TMPDIR:-/tmp}/verbarium-bench-$1.dat"; }
if [[ ! -f $(source_table 5) ]]; then
  "$build/bench/verbarium_bench" --benchmark_filter='BM_ReadTable' --benchmark_min_time=0.01 >/dev/null
fi
for layout in 1 2 3 4 5; do
  doubled="$work/layout-$layout.dat"
  # Records are self-delimiting: the header, then the records twice.
  [[ -f "$doubled" ]] || { cat "$(source_table "$layout")"; tail -c +5 "$(source_table "$layout")"; } >"$doubled"
done
tiny="$work/tiny-records.dat"
if [[ ! -f "$tiny" ]]; then
  # Layout 3 records of a six-byte key and an empty text, doubled 23 times.
  printf '\x0a\x00\x00\x00' >"$tiny"
  printf '\x01\x00\x00\x00\x03\x00\x00\x00\x00\x00' >"$tmp/records"
  for _ in $(seq 1 23); do cat "$tmp/records" "$tmp/records" >"$tmp/twice"; mv "$tmp/twice" "$tmp/records"; done
  cat "$tmp/records" >>"$tiny"
fi

ms() {  # one run of a command, in milliseconds
  local start end
  start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_kb() { { /usr/bin/time -f %M "$@" >/dev/null; } 2>&1 | tail -n1; }

# A shared machine's disk is slow one moment and quick the next: each round
# runs the anchor and the commands one after the other, each command is
# compared with its own round's anchor, and the medians are shown.
printf '%-13s %6s %6s %9s %8s %7s %8s %7s %7s %10s %9s %9s\n' table MB cp_ms durable_ms rewrite x_dur export import x_dur rw_peak/in ex_peak im_peak/in
for table in "$work"/layout-?.dat "$tiny"; do
  name=$(basename "$table" .dat)
  bytes=$(stat -c %s "$table")
  cp "$table" "$tmp/t.dat"
  "$cli" export "$tmp/t.dat" "$tmp/t.txt"
  txt_bytes=$(stat -c %s "$tmp/t.txt")
  # A plain copy leaves its bytes for the disk to write later, which would
  # slow whatever runs next: its runs come first, and a sync after them.
  copies=()
  for ((round = 0; round < runs; round++)); do copies+=("$(ms cp "$table" "$tmp/copy.dat")"); done
  sync
  durables=() rewrites=() exports=() imports=() rewrite_x=() import_x=()
  for ((round = 0; round < runs; round++)); do
    durable=$(ms dd if="$table" of="$tmp/durable.dat" bs=1M conv=fsync status=none)
    ((durable > 0)) || durable=1
    durables+=("$durable")
    rewrite=$(ms "$cli" rewrite "$table" "$tmp/rewritten.dat")
    cmp -s "$table" "$tmp/rewritten.dat" || { echo "$name: rewrite changed the bytes" >&2; exit 1; }
    exports+=("$(ms "$cli" export "$table" "$tmp/exported.txt")")
    import=$(ms "$cli" import "$tmp/t.dat" "$tmp/t.txt")
    cmp -s "$table" "$tmp/t.dat" || { echo "$name: import changed the bytes" >&2; exit 1; }
    rewrites+=("$rewrite") imports+=("$import")
    rewrite_x+=("$(awk -v a="$rewrite" -v d="$durable" 'BEGIN { print a / d }')")
    import_x+=("$(awk -v a="$import" -v d="$durable" 'BEGIN { print a / d }')")
  done
  rewrite_peak=$(peak_kb "$cli" rewrite "$table" "$tmp/rewritten.dat")
  export_peak=$(peak_kb "$cli" export "$table" "$tmp/exported.txt")
  import_peak=$(peak_kb "$cli" import "$tmp/t.dat" "$tmp/t.txt")
  awk -v n="$name" -v b="$bytes" -v tb="$txt_bytes" -v c="$(median "${copies[@]}")" -v d="$(median "${durables[@]}")" \
      -v r="$(median "${rewrites[@]}")" -v rx="$(median "${rewrite_x[@]}")" -v e="$(median "${exports[@]}")" \
      -v i="$(median "${imports[@]}")" -v ix="$(median "${import_x[@]}")" \
      -v rp="$rewrite_peak" -v ep="$export_peak" -v ip="$import_peak" 'BEGIN {
    printf "%-13s %6.1f %6d %9d %8d %7.2f %8d %7d %7.2f %10.2f %9.2f %9.2f\n", n, b/1e6, c, d, r, rx, e, i, ix,
           rp*1024/b, ep*1024/b, ip*1024/(b+tb) }'
done
echo "medians of $runs rounds; x_dur: the time over the same round's durable copy; peaks: peak resident memory over the bytes of the files read"
