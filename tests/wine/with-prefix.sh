#!/bin/sh
# Runs a command with WINEPREFIX set to a new Wine prefix of its own, made once for the whole
# run (its start-up takes seconds) and removed afterwards with its Wine server. Fails loudly
# when Wine is missing or cannot start.
set -u
export WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/qz-wine.XXXXXX")" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The server's socket folder goes too: Wine names it by the prefix's device and inode, in a
# folder of /tmp of its own (.wine-UID, or wine-XXXXXX made anew). A server still saving the
# registry, or a Wine program still starting, can write into the prefix after it was removed:
# then it is removed again.
leave() {
  tries=0
  while [ -d "$WINEPREFIX" ] && [ $((tries += 1)) -le 5 ]; do
    server=$(stat -c '%d %i' "$WINEPREFIX" | { read -r dev inode; printf 'server-%x-%x' "$dev" "$inode"; })
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
    rm -rf "$WINEPREFIX"
    for dir in /tmp/.wine-"$(id -u)"/"$server" /tmp/wine-*/"$server"; do [ -d "$dir" ] && rm -rf "$dir" && rmdir "${dir%/*}"; done 2>/dev/null
    sleep 1
  done
}
trap leave EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# wineboot complains about the 32-bit half a 64-bit-only Wine lacks; what counts is the
# registry the server writes when it ends.
env -u DISPLAY wine wineboot -i > "$WINEPREFIX/wineboot.log" 2>&1
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] ||
  { echo "with-prefix: Wine could not make its prefix:" >&2; cat "$WINEPREFIX/wineboot.log" >&2; exit 1; }
# One server for the whole run, with Wine's own background programs started now: started
# by a test, they would hold its output open after the test's program ended.
wineserver -p
wine wineboot > /dev/null 2>&1 < /dev/null
# The relay trace, for a test that asks for it (WINEDEBUG=+relay), lists only the calls of Beep.
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d KERNEL32.Beep /f > /dev/null 2>&1
"$@"
