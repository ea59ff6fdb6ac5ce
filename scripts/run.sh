#!/usr/bin/env bash
# Installs what is missing, builds everything and runs Verbarium's main job.
# Until the desktop program lands, that is the command-line companion dumping
# a table of the demo workspace.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

scripts/install-deps.sh run
mkdir -p build
for preset in native win64; do
  cmake --preset "$preset" >"build/$preset-configure.log" 2>&1 || { cat "build/$preset-configure.log"; exit 1; }
  cmake --build --preset "$preset" --target verbarium-cli verbarium-demo
done

demo=build/demo-workspace
mkdir -p "$demo"
build/native/tools/demo/verbarium-demo "$demo"
table=$(ls "$demo"/*.dat | head -n 1)
echo "verbarium-cli dump $table"
build/native/tools/cli/verbarium-cli dump "$table"
