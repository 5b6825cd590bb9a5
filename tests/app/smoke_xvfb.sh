#!/usr/bin/env bash
# kestrel-recipe on a real X server: it starts on a demo database with a customer on the command
# line, its window appears with its caption, and it quits cleanly on SIGTERM.
#   smoke_xvfb.sh PROGRAM KESTREL-DB DEMO-DATA
set -euo pipefail
if [ "${1:-}" = "--inside" ]; then
  program=$2
  unset QT_QPA_PLATFORM
  "$program" 100210 &
  pid=$!
  for _ in $(seq 1 100); do
    if xwininfo -root -tree | grep -q '"Recipe'; then
      xwininfo -root -tree | grep '"Recipe' | head -n 1
      kill -TERM "$pid"
      status=0
      wait "$pid" || status=$?
      echo "kestrel-recipe ended with status $status"
      exit "$status"
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "kestrel-recipe ended before its window appeared" >&2
      exit 1
    fi
    sleep 0.2
  done
  echo "no window captioned Recipe within 20 seconds" >&2
  kill -KILL "$pid" 2>/dev/null || true
  exit 1
fi

program=$1
dbtool=$2
data=$3
for tool in xvfb-run xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed: smoke test skipped"
    exit 77
  fi
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home
export XDG_CONFIG_HOME=$HOME/.config
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME/Corvane"
"$dbtool" demo "$HOME/Documents/Kestrel 32" --data "$data" >/dev/null
printf '[Profile]\nLocation=Demo\n' >"$XDG_CONFIG_HOME/Corvane/Kestrel 32.conf"
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$program"
