#!/usr/bin/env bash
# Checks that the product's includes run one way, down the layers runtime, console, gfx, app:
# a file includes only files of its own layer and of the layers below. A platform folder
# (runtime/posix, gfx/x11, ...) may include its layer's core, the layers below and their folders
# of the same platform; a core file includes no platform folder. Prints "file:line: rule" for
# each include that breaks this and fails when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(runtime console gfx app)

rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

# The layer and platform folder of a path: "gfx/x11/x11_window.hpp" gives "gfx x11",
# "gfx/screen.hpp" gives "gfx -".
place() {
  local rest=${1#*/}
  [[ $rest == */* ]] && echo "${1%%/*} ${rest%%/*}" || echo "${1%%/*} -"
}

faults=0
while IFS=: read -r file line text; do
  target=${text#*\"}
  target=${target%%\"*}
  read -r layer platform <<< "$(place "$file")"
  read -r target_layer target_platform <<< "$(place "$target")"
  (( $(rank "$target_layer") >= 0 )) || continue
  fault=""
  if (( $(rank "$target_layer") > $(rank "$layer") )); then
    fault="includes $target of the higher layer $target_layer"
  elif [ "$target_platform" != - ] && [ "$platform" = - ]; then
    fault="a core file includes $target of the platform folder $target_layer/$target_platform"
  elif [ "$target_platform" != - ] && [ "$target_platform" != "$platform" ]; then
    fault="includes $target of another platform"
  fi
  [ -z "$fault" ] || { echo "$file:$line: $fault"; faults=$((faults + 1)); }
done < <(grep -rn --include='*.cpp' --include='*.hpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${layers[@]}")
if (( faults > 0 )); then
  echo "check-layers: $faults includes against the layers (each folder includes only those below it)" >&2
  exit 1
fi
