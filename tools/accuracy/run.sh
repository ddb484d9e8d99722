#!/usr/bin/env bash
# make accuracy: draws the chart set (once per version of the generator), runs
# plotsnap-cli over it and prints the per-curve table and its summary.
# usage: tools/accuracy/run.sh BUILD_DIR [score.py options]
set -euo pipefail
build=${1:-build}; shift || true
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../install-accuracy-deps.sh"
# Debian's python3 holds the packages, whatever python3 comes first on PATH.
py=/usr/bin/python3
out="$build/accuracy"
stamp=$(sha1sum "$here/charts.py" | cut -c1-16)
if [ "$(cat "$out/charts/.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$out/charts"
  "$py" "$here/charts.py" "$out/charts"
  echo "$stamp" > "$out/charts/.stamp"
fi
"$py" "$here/score.py" "$build/plotsnap-cli" "$out/charts" --json "$out/results.json" "$@" | tee "$out/table.txt"
