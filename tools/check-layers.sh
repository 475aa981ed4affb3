#!/usr/bin/env bash
# Checks that the product's includes run one way, down the layers runtime, console, gfx, app:
# a file includes only files of its own layer and of the layers below. A platform folder
# (runtime/posix, gfx/x11, ...) may include its layer's core, the layers below and the folders
# of its own platform, or of the one it stands on (gfx/x11 on runtime/posix); a core file
# includes no platform folder. No product file includes the tests, the tools, the benchmarks or
# the fuzz targets. Prints "file:line: rule" for each include that breaks this and fails when
# there is any. Checks the tree it stands in, or the one given.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
layers=(runtime console gfx app)
outside=(tests tools bench fuzz)

# The platform folders each window folder stands on: its system's posix folders (the text
# console's, and what the X11 and Wayland windows share); the list of Linux drivers stands on
# both windows. Any platform folder includes its own folders and those of the folders it stands
# on.
declare -A stands_on=([x11]=posix [wayland]=posix [linux]="x11 wayland")

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

# The included path from the project's root: as written, or relative to the including file.
resolve() {
  local file=$1 target=$2
  [[ $target == ../* || $target == ./* ]] && target=$(realpath -m --relative-to=. "$(dirname "$file")/$target")
  echo "$target"
}

fault_of() {
  local file=$1 target=$2 layer platform target_layer target_platform
  read -r layer platform <<< "$(place "$file")"
  read -r target_layer target_platform <<< "$(place "$target")"
  if [[ " ${outside[*]} " == *" $target_layer "* ]]; then
    echo "a product file includes $target of $target_layer/"
  elif (( $(rank "$target_layer") < 0 )); then
    return
  elif (( $(rank "$target_layer") > $(rank "$layer") )); then
    echo "includes $target of the higher layer $target_layer"
  elif [ "$target_platform" != - ] && [ "$platform" = - ]; then
    echo "a core file includes $target of the platform folder $target_layer/$target_platform"
  elif [ "$target_platform" != - ] && [ "$target_platform" != "$platform" ] &&
       [[ " ${stands_on[$platform]:-} " != *" $target_platform "* ]]; then
    echo "includes $target of another platform"
  fi
}

faults=0
while IFS=: read -r file line text; do
  target=${text#*\"}
  target=$(resolve "$file" "${target%%\"*}")
  fault=$(fault_of "$file" "$target")
  [ -z "$fault" ] || { echo "$file:$line: $fault"; faults=$((faults + 1)); }
done < <(grep -rn --include='*.cpp' --include='*.hpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${layers[@]}")
if (( faults > 0 )); then
  echo "check-layers: $faults includes against the layers (each folder includes only those below it)" >&2
  exit 1
fi
