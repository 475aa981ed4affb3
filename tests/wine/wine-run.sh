#!/bin/sh
# Runs a Windows program under Wine in the prefix of the test run (WINEPREFIX, made by
# tests/wine/with-prefix.sh). Fails loudly without one, or when Wine is missing.
set -u
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run: no Wine prefix; run the tests through tests/wine/with-prefix.sh" >&2
  exit 1
fi
command -v wine >/dev/null || { echo "wine-run: wine is not installed" >&2; exit 1; }
exec env WINEDEBUG=-all wine "$@"
