#!/bin/sh
# Installs the Debian packages that are missing: "run" takes what building and running the
# programs need, "package" also what making the Debian package and the Windows zip needs,
# "test" (the default) also what the tests, fuzzing and benchmarks need. As root
# it installs them with apt-get; otherwise it names them and stops.
set -e
run_packages="cmake ninja-build g++ console-data libx11-dev libxext-dev libxss-dev"
package_packages="dpkg-dev g++-mingw-w64-x86-64-posix"
test_packages="man-db lintian libgtest-dev libbenchmark-dev xvfb xdotool x11-utils openbox tmux ncurses-term clang libclang-rt-14-dev
  googletest wine wine64"
case "${1:-test}" in
  run) packages=$run_packages ;;
  package) packages="$run_packages $package_packages" ;;
  test) packages="$run_packages $package_packages $test_packages" ;;
  *) echo "usage: $0 [run|package|test]" >&2; exit 2 ;;
esac
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
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing > /dev/null
