#!/bin/sh
# Runs a Windows program under Wine in the prefix of the test run (WINEPREFIX, made by
# tests/wine/with-prefix.sh, which fails without Wine), with the debug channels WINEDEBUG names
# (none: with-prefix.sh's). Fails loudly without a prefix.
[ -f "${WINEPREFIX:-}/system.reg" ] ||
  { echo "wine-run: no Wine prefix; run the tests through tests/wine/with-prefix.sh" >&2; exit 1; }
exec env WINEDEBUG="${WINEDEBUG:--all}" wine "$@"
