#!/usr/bin/env bash
# Takes the README's screenshot: starts the real program under Xvfb, pastes a
# sample chart from the clipboard (as a user would), processes it, picks a curve, reads
# the axis title as a label and rests the mouse on the curve, then grabs the screen.
# Needs xclip and imagemagick (installed on demand).
set -euo pipefail
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/docs/screenshot.png"
for p in xclip imagemagick xvfb xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$p"; }
done
mkdir -p "$ROOT/docs"
export HOME=$(mktemp -d)
export OMP_THREAD_LIMIT=1
printf 'NotFirstRun=1\n' > "$HOME/.plotsnap"   # no tip dialog over the window
CHART="$ROOT/resources/sample-chart.png"
xvfb-run -a -s "-screen 0 1400x800x24" bash -c "
  '$ROOT/$BUILD/plotsnap' & pid=\$!
  for i in \$(seq 50); do xdotool search --onlyvisible --name '^plotsnap' >/dev/null 2>&1 && break; sleep 0.2; done
  win=\$(xdotool search --onlyvisible --name '^plotsnap' | head -1)
  xclip -selection clipboard -t image/png -i '$CHART' &
  sleep 0.5
  xdotool windowfocus --sync \$win key ctrl+v; sleep 1
  xdotool key F2; sleep 2
  xdotool windowsize \$win 1340 640; sleep 1
  cx=\$(xdotool getwindowgeometry --shell \$win | awk -F= '/^X=/{print \$2}')
  xdotool mousemove 250 356 click 1; sleep 0.5
  xdotool windowfocus --sync \$win key t; sleep 0.3
  xdotool mousemove 200 421 mousedown 1; sleep 0.2; xdotool mousemove 250 430; sleep 0.2
  xdotool mousemove 300 447; sleep 0.2; xdotool mouseup 1; sleep 3
  xdotool windowfocus --sync \$win key t; sleep 0.3
  xdotool mousemove 250 362; sleep 1
  import -window root -crop \$(xdotool getwindowgeometry --shell \$win | awk -F= '/WIDTH/{w=\$2}/HEIGHT/{h=\$2}END{print w\"x\"h\"+0+0\"}') '$OUT'
  kill \$pid
"
echo "wrote $OUT"
