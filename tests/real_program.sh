#!/usr/bin/env bash
# Drives the built program with real X input (xdotool), as a user would: it starts
# without a tip on a configured home, refuses Process on an empty document with a
# real message box, pastes a chart from the clipboard, processes it and quits with
# Ctrl+Q, discarding the unsaved work when asked. Needs a running X server (the test command starts Xvfb).
set -u
BIN=$1
SAMPLE=$2
HOME=$(mktemp -d)
export HOME
clip=""
# The clipboard helper must not outlive the test (it would hold the test's output open).
trap 'kill $pid $clip 2>/dev/null; rm -rf "$HOME"' EXIT
printf 'NotFirstRun=1\n' > "$HOME/.plotsnap"
fail() { echo "FAIL: $*"; echo "0 passed, 1 failed"; exit 1; }
"$BIN" > "$HOME/out.log" 2>&1 & pid=$!
win=""
for _ in $(seq 50); do
  win=$(xdotool search --onlyvisible --pid $pid --name '^plotsnap' 2>/dev/null | head -1)
  [ -n "$win" ] && break; sleep 0.2
done
[ -n "$win" ] || fail "the main window never appeared"
[ "$(xdotool getwindowname "$win")" = plotsnap ] || fail "unexpected title $(xdotool getwindowname "$win")"
count() { xdotool search --onlyvisible --pid $pid --name '.' 2>/dev/null | wc -l; }

# Process on an empty document: a message box opens; Return closes it.
xdotool windowfocus --sync "$win" key F2; sleep 1
[ "$(count)" = 2 ] || fail "no message box after F2"
dlg=$(xdotool search --onlyvisible --pid $pid --name '.' | grep -v "^$win$" | tail -1)
[ "$(xdotool getwindowname "$dlg")" = plotsnap ] || fail "the box has the wrong caption"
xdotool windowfocus --sync "$dlg"; sleep 0.3; xdotool key Return; sleep 1
[ "$(count)" = 1 ] || fail "the message box did not close"

# Paste a chart (the clipboard is served by a helper that reads the PNG file).
if command -v xclip >/dev/null; then
  xclip -selection clipboard -t image/png -i "$SAMPLE" > /dev/null 2>&1 & clip=$!; sleep 0.5
  xdotool windowfocus --sync "$win"; sleep 0.2; xdotool key ctrl+v; sleep 1
  [ "$(xdotool getwindowname "$win")" = "plotsnap - (pasted from clipboard)" ] || fail "paste did not open the picture"
  xdotool windowfocus --sync "$win"; sleep 0.2; xdotool key F2; sleep 1
  [ "$(count)" = 1 ] || fail "processing the pasted chart opened a box"
fi

xdotool windowfocus --sync "$win"; sleep 0.2; xdotool key ctrl+q; sleep 1
# Work on the pasted chart is not saved: quitting asks Save, Discard or Cancel first.
if [ -n "$clip" ]; then
  [ "$(count)" = 2 ] || fail "quitting with unsaved work did not ask"
  dlg=$(xdotool search --onlyvisible --pid $pid --name '.' | grep -v "^$win$" | tail -1)
  xdotool windowfocus --sync "$dlg"; sleep 0.3; xdotool key alt+d
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill -0 $pid 2>/dev/null && fail "Ctrl+Q did not end the program"
wait $pid; rc=$?
[ $rc = 0 ] || fail "the program ended with status $rc"

# The command line: --version and --help answer without a window, an unknown option is
# refused, and a picture given (as a file manager's "Open with" does) opens at start and
# keeps its name in the title through processing.
[ "$("$BIN" --version)" = "plotsnap version 1.21 - chart digitizer" ] || fail "--version"
"$BIN" --help | head -1 | grep -q '^usage: plotsnap' || fail "--help"
"$BIN" --no-such-option > /dev/null 2>&1; [ $? = 2 ] || fail "an unknown option was not refused"
"$BIN" "$SAMPLE" > "$HOME/out2.log" 2>&1 & pid=$!
title=""
for _ in $(seq 50); do
  win=$(xdotool search --onlyvisible --pid $pid --name '^plotsnap' 2>/dev/null | head -1)
  [ -n "$win" ] && title=$(xdotool getwindowname "$win")
  [ "$title" = "plotsnap - $(basename "$SAMPLE")" ] && break; sleep 0.2
done
[ "$title" = "plotsnap - $(basename "$SAMPLE")" ] || fail "the picture on the command line was not opened ($title)"
xdotool windowfocus --sync "$win"; sleep 0.2; xdotool key F2; sleep 1
[ "$(xdotool getwindowname "$win")" = "plotsnap - $(basename "$SAMPLE")" ] || fail "processing lost the title"
xdotool windowfocus --sync "$win"; sleep 0.2; xdotool key ctrl+q; sleep 1
if [ "$(count)" = 2 ]; then
  dlg=$(xdotool search --onlyvisible --pid $pid --name '.' | grep -v "^$win$" | tail -1)
  xdotool windowfocus --sync "$dlg"; sleep 0.3; xdotool key alt+d
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill -0 $pid 2>/dev/null && fail "Ctrl+Q did not end the program started with a picture"
echo "1 passed, 0 failed"
