#!/usr/bin/env bash
# make tick-accuracy: draws the tick-label chart set (once per version of its
# generator), runs plotsnap-cli --auto-calibrate over it and prints the table.
# usage: tools/accuracy/tick_run.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../install-accuracy-deps.sh"
py=/usr/bin/python3
out="$build/accuracy/ticks"
stamp=$(sha1sum "$here/tick_charts.py" | cut -c1-16)
if [ "$(cat "$out/.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$out"
  "$py" "$here/tick_charts.py" "$out"
  echo "$stamp" > "$out/.stamp"
fi
"$py" "$here/tick_score.py" "$build/plotsnap-cli" "$out" | tee "$build/accuracy/ticks-table.txt"
