#!/bin/sh
# Runs the web pages' tests: Playwright's library from the lock file (no browser download:
# Debian's Chromium serves), then node's test runner. Quiet while they pass: the summary only,
# or the whole report when one fails.
# Usage: run.sh SITE_DIR PROBE_DIR NATIVE_PICTURE
set -u
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd "$here" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --silent) > "$log" 2>&1 \
  || { cat "$log"; exit 1; }
if WEB_SITE=$(realpath "$1") WEB_PROBE=$(realpath "$2") NATIVE_PICTURE=$(realpath "$3") \
    node --test --test-reporter=tap "$here"/*.test.mjs > "$log" 2>&1; then
  echo "web: $(awk '/^# pass/ {print $3}' "$log") passed, $(awk '/^# fail/ {print $3}' "$log") failed"
else
  cat "$log"
  exit 1
fi
