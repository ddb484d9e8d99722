#!/bin/sh
# Entry point for a bare Debian 12 system: installs make when it is missing, then
# runs the Makefile target (run, test, build, bench, ...), which installs the rest.
# POSIX sh on purpose: a minimal system has no bash-only guarantees beyond /bin/sh.
set -eu
cd "$(dirname "$0")/.."

target=${1:-run}
case $target in
  -h|--help|help)
    echo "usage: sh tools/setup.sh [run|test|build|bench|screenshot|clean]"
    exit 0 ;;
esac

if ! command -v make >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
  elif command -v sudo >/dev/null 2>&1; then
    SUDO=sudo
  else
    echo "setup: make is missing and this is not root; run as root or install make first." >&2
    exit 1
  fi
  echo "Installing: make"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq make
fi

exec make "$target"
