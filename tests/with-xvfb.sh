#!/bin/sh
# Runs a command with DISPLAY set to an X server of its own: Xvfb on a free display number,
# stopped when the command ends; XVFB_DEPTH sets its bits per pixel (24 by default). Fails
# loudly when no X server can be started.
set -u
fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 "1024x768x${XVFB_DEPTH:-24}" -nolisten tcp 3>"$fifo_dir/display" 2>"$fifo_dir/log" &
server=$!
read -r number < "$fifo_dir/display"
if [ -z "${number:-}" ]; then
  echo "with-xvfb: the X server did not start:" >&2
  cat "$fifo_dir/log" >&2
  rm -rf "$fifo_dir"
  exit 1
fi
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$fifo_dir"' EXIT INT TERM
DISPLAY=":$number" "$@"
