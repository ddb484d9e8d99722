#!/usr/bin/env bash
# make accuracy: draws the chart set (once per version of the generator), runs
# plotsnap-cli over it and prints the per-curve table and its summary.
# usage: tools/accuracy/run.sh BUILD_DIR [--published] [score.py options]
# --published: the published-figure set (published.py, published_score.py).
set -euo pipefail
build=${1:-build}; shift || true
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../install-accuracy-deps.sh"
# Debian's python3 holds the packages, whatever python3 comes first on PATH.
py=/usr/bin/python3
out="$build/accuracy"
set=charts gen=charts.py scorer=score.py results=results.json table=table.txt
if [ "${1:-}" = "--published" ]; then
  shift
  set=published gen=published.py scorer=published_score.py results=published-results.json table=published-table.txt
fi
stamp=$(sort -u <(echo "$here/charts.py") <(echo "$here/$gen") | xargs cat | sha1sum | cut -c1-16)
if [ "$(cat "$out/$set/.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$out/$set"
  "$py" "$here/$gen" "$out/$set"
  echo "$stamp" > "$out/$set/.stamp"
fi
"$py" "$here/$scorer" "$build/plotsnap-cli" "$out/$set" --json "$out/$results" "$@" | tee "$out/$table"
