#!/usr/bin/env bash
# The layer check on a copy of the product with one include planted per row: the row's file
# gains the include, and the check must pass or fail as the row says (a row that passes shows
# the product as it is passes too).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$root"/{app,console,gfx,runtime} "$copy"
rows=(
  "pass gfx/x11/x11_present.cpp runtime/posix/terminal.hpp"
  "fail gfx/x11/x11_present.cpp runtime/win32/win32_console.hpp"
  "fail gfx/screen_state.cpp runtime/posix/terminal.hpp"
  "fail console/print.cpp gfx/screen.hpp"
  "fail gfx/x11/x11_present.cpp tests/unit/memory_screen.hpp"
  "fail gfx/screen_state.cpp ../tests/unit/memory_screen.hpp"
)
failed=0
for row in "${rows[@]}"; do
  read -r expected file include <<< "$row"
  sed -i.saved "1i #include \"$include\"" "$copy/$file"
  "$root/tools/check-layers.sh" "$copy" > /dev/null 2>&1 && got=pass || got=fail
  mv "$copy/$file.saved" "$copy/$file"
  [ "$got" = "$expected" ] || { echo "$file including $include: expected $expected, got $got"; failed=1; }
done
exit $failed
