#!/bin/sh
# Runs a command with DISPLAY set to an X server of its own: Xvfb on a display number it picks
# itself, stopped when the command ends; XVFB_DEPTH sets its bits per pixel (24 by default).
# The command starts once the server answers, so servers starting elsewhere at the same time do
# not disturb it. The server never resets when its last client leaves: a test connecting just
# then would be refused, and the keyboard map a test set would be lost. Fails loudly when no X
# server starts.
set -u
fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 "1024x768x${XVFB_DEPTH:-24}" -nolisten tcp -noreset 3>"$fifo_dir/display" 2>"$fifo_dir/log" &
server=$!
read -r number < "$fifo_dir/display"
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$fifo_dir"' EXIT INT TERM
tries=0
until [ -n "${number:-}" ] && DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1; do
  tries=$((tries + 1))
  if [ -z "${number:-}" ] || [ $tries -gt 100 ]; then
    { echo "with-xvfb: the X server did not start:"; cat "$fifo_dir/log"; } >&2
    exit 1
  fi
  sleep 0.05
done
DISPLAY=":$number" "$@"
