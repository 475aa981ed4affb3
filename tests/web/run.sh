#!/bin/sh
# Runs the web pages' tests: Playwright's library from the lock file (no browser download:
# Debian's Chromium serves), then node's test runner against a plain static file server that
# serves the site at /site/ and the key probe's page at /probe/. The browser's sound client
# keeps its files in the run's folder. Quiet while they pass: the summary only, or the whole
# report when one fails.
# Usage: run.sh SITE_DIR PROBE_DIR NATIVE_PICTURE
set -u
root=$(mktemp -d) && log=$root/log && trap 'kill $server 2> /dev/null; rm -rf "$root"' EXIT
ln -s "$(realpath "$1")" "$root/site" && ln -s "$(realpath "$2")" "$root/probe"
python3 -u -m http.server --bind 127.0.0.1 --directory "$root" 0 > "$root/server.log" 2>&1 & server=$!
(cd "$(dirname "$0")" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error) > "$log" 2>&1 \
  || { cat "$log"; exit 1; }
for _ in $(seq 50); do port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$root/server.log"); [ -z "$port" ] || break; sleep 0.1; done
if [ -n "$port" ] && WEB_URL=http://127.0.0.1:$port WEB_SITE=$(realpath "$1") NATIVE_PICTURE=$(realpath "$3") \
    XDG_RUNTIME_DIR=$root node --test --test-reporter=tap "$(dirname "$0")"/*.test.mjs > "$log" 2>&1; then
  echo "web: $(awk '/^# pass/ {print $3}' "$log") passed, $(awk '/^# fail/ {print $3}' "$log") failed"
else
  cat "$log" "$root/server.log"  # the tests' report, and the file server's
  exit 1
fi
