#!/bin/sh
# Runs the web pages' tests: the browser drivers' libraries (browsers/) from their lock
# file (no browser download: Debian's browsers serve), then node's test runner, whose tests
# serve the site and the key probe's site themselves. The browsers' sound clients keep their
# files in the run's folder. Quiet while they pass: the summary only, or the whole report when
# one fails. A run that lasts over ten minutes is stopped (with the browsers and daemons it
# started) and fails with what it reported so far.
# Usage: run.sh SITE_DIR PROBE_DIR NATIVE_PICTURE
set -u
root=$(mktemp -d) && log=$root/log && trap 'rm -rf "$root"' EXIT
(cd "$(dirname "$0")/browsers" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error) > "$log" 2>&1 \
  || { cat "$log"; exit 1; }
if WEB_SITE=$(realpath "$1") WEB_PROBE=$(realpath "$2") NATIVE_PICTURE=$(realpath "$3") \
    XDG_RUNTIME_DIR=$root timeout -k 10 600 node --test --test-reporter=tap "$(dirname "$0")"/*.test.mjs > "$log" 2>&1; then
  echo "web: $(awk '/^# pass/ {print $3}' "$log") passed, $(awk '/^# fail/ {print $3}' "$log") failed"
else
  cat "$log"
  exit 1
fi
