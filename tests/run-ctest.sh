#!/bin/sh
# Runs one build's tests on an X server of their own, through any further wrapper command
# given after the build folder, and stays quiet while they pass: only the summary is printed,
# or every failing test's output when one fails. TEST_LABEL runs only the tests of that label.
# The tests run from a caller whose terminal takes no escape sequences and who wants no colour,
# unlike what they mean: a test that took the caller's environment fails on every machine. A
# Wayland desktop of the caller's is not theirs either: each Wayland test starts its own.
set -u
export TERM=dumb NO_COLOR=1
unset WAYLAND_DISPLAY
build=$1
shift
log="$build/ctest.log"
"$(dirname "$0")/with-xvfb.sh" "$@" ctest --test-dir "$build" ${TEST_LABEL:+-L "$TEST_LABEL"} --output-on-failure -j "${JOBS:-2}" \
  > "$log" 2>&1 && passed=$(grep "tests passed" "$log") || { cat "$log"; exit 1; }
echo "$build: $passed"
