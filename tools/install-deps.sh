#!/bin/sh
# Installs the Debian packages that are missing: "run" takes what building and running the
# programs need, "web" also what building the web pages needs, "windows" also the mingw-w64
# compiler of the Windows programs, "package" also what making the Debian package and the
# Windows zip needs, "test" (the default) everything for the tests, fuzzing and benchmarks too
# (Node.js with npm among them: a Node.js that comes with its own npm counts). As root it
# installs them with apt-get, saying what and how long it took and showing apt's own output only
# when it fails; otherwise it names them with the commands that install them and stops. Another
# package manager (an unattended upgrade on a fresh desktop) may hold apt's lock: it waits for
# that, up to 5 minutes, and says so once.
set -e
run_packages="cmake ninja-build g++ pkg-config console-data libx11-dev libxext-dev libxss-dev zlib1g-dev
  libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev libdecor-0-plugin-1-cairo"
web_packages="emscripten node-acorn"
windows_packages="g++-mingw-w64-x86-64-posix"
package_packages="dpkg-dev file $windows_packages"
test_packages="man-db lintian desktop-file-utils appstream icoutils libgtest-dev libbenchmark-dev xvfb xdotool x11-utils openbox tmux ncurses-term clang
  libclang-rt-14-dev googletest wine wine64 chromium firefox-esr webkit2gtk-driver pulseaudio nodejs
  sway weston grim wtype xwayland jq x11-xserver-utils pulseaudio-utils libpng-dev"
case "${1:-test}" in
  run) packages=$run_packages ;;
  web) packages="$run_packages $web_packages" ;;
  windows) packages="$run_packages $windows_packages" ;;
  package) packages="$run_packages $package_packages" ;;
  test) packages="$run_packages $web_packages $package_packages $test_packages" ;;
  *) echo "usage: $0 [run|web|windows|package|test]" >&2; exit 2 ;;
esac
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ "${1:-test}" = test ] && ! command -v npm > /dev/null; then missing="$missing npm"; fi
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages:$missing" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update" >&2
  echo "  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y$missing" >&2
  exit 1
fi
count=$(echo $missing | wc -w)
echo "Installing $count Debian packages, which takes a few minutes:$missing"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# apt_get ARGUMENTS...: apt-get, quiet, into the log; tried again every 5 s while its error names
# a lock (/var/lib/dpkg/lock-frontend, /var/lib/apt/lists/lock, ...), whatever the language.
lock_wait=0
apt_get() {
  until DEBIAN_FRONTEND=noninteractive apt-get -qq "$@" > "$log" 2>&1; do
    grep -qE '/lock(-frontend)?([^[:alnum:]_-]|$)' "$log" && [ $lock_wait -lt 300 ] || return 1
    [ $lock_wait -gt 0 ] || echo "Another package manager holds apt's lock: waiting for it, up to 5 min"
    sleep 5
    lock_wait=$((lock_wait + 5))
  done
}
start=$(date +%s)
{ apt_get update && apt_get install -y $missing; } || { cat "$log" >&2; echo "install-deps: apt-get failed" >&2; exit 1; }
took=$(($(date +%s) - start))
echo "Installed them in $((took / 60)) min $((took % 60)) s"
