#!/bin/sh
# Checks README's set-up commands on a bare Debian 12 (no make, compiler or git):
# builds a minimal root file system with debootstrap, copies this source tree into
# it and, chrooted as root, runs
#   1. sh tools/setup.sh run   without a display: must install, build and say so;
#   2. sh tools/setup.sh run   with an Xvfb display: the window must open and quit;
#   3. sh tools/setup.sh test  every test must pass.
# Slow (a full install and build), so it is not part of CI. Needs root on the host.
#   sh tools/bare-check.sh [WORKDIR]      (default /var/tmp/plotsnap-bare)
# A tarball of the fresh root file system is kept in WORKDIR and reused on a rerun;
# delete it to bootstrap again. The log is WORKDIR/bare-check.log.
set -eu
SRC=$(cd "$(dirname "$0")/.." && pwd)
WORK=${1:-/var/tmp/plotsnap-bare}
ROOT="$WORK/root"
TGZ="$WORK/minbase-bookworm.tgz"
LOG="$WORK/bare-check.log"

[ "$(id -u)" -eq 0 ] || { echo "bare-check: run as root" >&2; exit 2; }
mkdir -p "$WORK"
: > "$LOG"
say() { echo "$*" | tee -a "$LOG"; }

# The host's own Debian mirror, so the check goes where apt already may.
mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p; s/^deb \(\[[^]]*\] \)\{0,1\}\(http[^ ]*debian\) .*/\2/p' \
         /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}

cleanup() {
  for m in dev/shm dev/pts dev sys proc; do
    mountpoint -q "$ROOT/$m" 2>/dev/null && umount -l "$ROOT/$m"
  done
  return 0
}
trap cleanup EXIT INT TERM

cleanup
rm -rf "$ROOT"
mkdir -p "$ROOT"
if [ -f "$TGZ" ]; then
  say "== unpacking the saved minimal root file system"
  tar -C "$ROOT" -xzf "$TGZ"
else
  command -v debootstrap >/dev/null 2>&1 || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; }
  say "== debootstrap --variant=minbase bookworm from $mirror"
  debootstrap --variant=minbase bookworm "$ROOT" "$mirror" >>"$LOG" 2>&1
  tar -C "$ROOT" -czf "$TGZ" .
fi

for tool in make gcc g++ c++ cmake git; do
  if chroot "$ROOT" sh -c "command -v $tool" >/dev/null 2>&1; then
    say "bare-check: $tool is already in the fresh root file system"; exit 1
  fi
done

say "== copying the source tree (without build output)"
mkdir -p "$ROOT/root/plotsnap"
if git -C "$SRC" rev-parse HEAD >/dev/null 2>&1; then
  say "   $(git -C "$SRC" rev-parse HEAD)$(git -C "$SRC" diff --quiet HEAD || echo ' + uncommitted changes')"
fi
tar -C "$SRC" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$ROOT/root/plotsnap" -xf -
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
mount -t proc proc "$ROOT/proc"
mount --rbind /sys "$ROOT/sys"
mount --bind /dev "$ROOT/dev"
mount --bind /dev/pts "$ROOT/dev/pts"
mount -t tmpfs tmpfs "$ROOT/dev/shm"

# A login-like clean environment: nothing of the host's leaks in.
in_root() {
  chroot "$ROOT" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 "$@"
}

fails=0
say "== 1. sh tools/setup.sh run (no display)"
set +e
in_root sh -c 'cd /root/plotsnap && sh tools/setup.sh run' >>"$LOG" 2>&1
rc=$?
set -e
if [ $rc -ne 0 ] && grep -q "needs a graphical display" "$LOG" && [ -x "$ROOT/root/plotsnap/build/plotsnap" ]; then
  say "   ok: installed, built, and explained the missing display (exit $rc)"
else
  say "   FAILED (exit $rc)"; fails=$((fails + 1))
fi

say "== 2. sh tools/setup.sh run (Xvfb display)"
# Xvfb and xdotool came with step 1; the window must appear and quit on Ctrl+Q.
cat > "$ROOT/tmp/run-check.sh" <<'EOS'
cd /root/plotsnap || exit 1
Xvfb :57 -screen 0 1280x1024x24 >/dev/null 2>&1 & x=$!
sleep 2
export DISPLAY=:57
sh tools/setup.sh run & m=$!
win=""
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^plotsnap' 2>/dev/null | head -1)
  [ -n "$win" ] && break; sleep 0.3
done
rc=1
if [ -n "$win" ]; then
  echo "window $win: $(xdotool getwindowname "$win")"
  sleep 2
  for _ in 1 2 3; do
    xdotool key --clearmodifiers Escape; sleep 0.5   # a tip of the day, if any
    xdotool windowfocus --sync "$win" key ctrl+q 2>/dev/null; sleep 1
    kill -0 $m 2>/dev/null || break
  done
  wait $m; rc=$?
  echo "make run ended with $rc"
else
  echo "no plotsnap window appeared"
  kill $m
fi
kill $x
exit $rc
EOS
if [ -x "$ROOT/root/plotsnap/build/plotsnap" ]; then
  set +e
  in_root sh /tmp/run-check.sh >>"$LOG" 2>&1
  rc=$?
  set -e
else
  rc=127
fi
if [ $rc -eq 0 ]; then
  say "   ok: the window opened and quit on Ctrl+Q"
else
  say "   FAILED (exit $rc)"; fails=$((fails + 1))
fi

say "== 3. sh tools/setup.sh test"
set +e
in_root sh -c 'cd /root/plotsnap && sh tools/setup.sh test' >>"$LOG" 2>&1
rc=$?
set -e
summary=$(grep -E '^[0-9]+% tests passed' "$LOG" | tail -1)
if [ $rc -eq 0 ]; then
  say "   ok: $summary"
else
  say "   FAILED (exit $rc): $summary"; fails=$((fails + 1))
fi

say "== bare-check: $fails failed; log in $LOG"
[ $fails -eq 0 ]
