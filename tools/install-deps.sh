#!/bin/sh
# Installs the Debian packages the build and the tests need, when they are missing. As root it
# installs them with apt-get; otherwise it names them and stops.
set -e
packages="cmake ninja-build g++ libgtest-dev libbenchmark-dev console-data libx11-dev libxext-dev libxss-dev xvfb xdotool x11-apps clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix googletest wine64 tmux"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages:$missing" >&2
  echo "Install them with: sudo apt-get install$missing" >&2
  exit 1
fi
echo "Installing:$missing"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
