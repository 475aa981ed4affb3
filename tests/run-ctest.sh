#!/bin/sh
# Runs one build's tests, on an X server of their own, and stays quiet while they pass: only
# the summary is printed, or every failing test's output when one fails.
set -u
build=$1
log="$build/ctest.log"
if "$(dirname "$0")/with-xvfb.sh" ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}" > "$log" 2>&1; then
  grep -E "tests passed|Total Test time" "$log"
else
  cat "$log"
  exit 1
fi
