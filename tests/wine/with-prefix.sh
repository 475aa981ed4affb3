#!/bin/sh
# Runs a command with WINEPREFIX set to a new Wine prefix of its own, made once for the whole
# run (its start-up takes seconds) and removed afterwards with its Wine server. Fails loudly
# when Wine cannot start.
set -u
command -v wine >/dev/null || { echo "with-prefix: wine is not installed" >&2; exit 1; }
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/qz-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT INT TERM
if ! env -u DISPLAY wine wineboot -i > "$WINEPREFIX.log" 2>&1 || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "with-prefix: Wine could not make its prefix:" >&2
  cat "$WINEPREFIX.log" >&2
  rm -f "$WINEPREFIX.log"
  exit 1
fi
rm -f "$WINEPREFIX.log"
wineserver -p  # one server for the whole run
"$@"
