#!/bin/sh
# Runs the web pages' tests: Playwright's library from the lock file (no browser download:
# Debian's Chromium serves), then node's test runner, a dot per test and the failures in full.
# Usage: run.sh SITE_DIR PROBE_DIR NATIVE_PICTURE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
(cd "$here" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null)
WEB_SITE=$(realpath "$1") WEB_PROBE=$(realpath "$2") NATIVE_PICTURE=$(realpath "$3") \
  node --test --test-reporter=dot "$here"/*.test.mjs
