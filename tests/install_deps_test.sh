#!/bin/sh
# The installer while another package manager holds apt's lock for two tries: it says so once,
# waits, and installs. apt-get, dpkg-query and id are stand-ins that find every package missing
# and make the caller root; the wait is the installer's own 5 s between tries.
set -u
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
printf '#!/bin/sh\necho unknown\n' > "$fake/dpkg-query"
printf '#!/bin/sh\necho 0\n' > "$fake/id"
cat > "$fake/apt-get" <<'APT'
#!/bin/sh
echo "$*" >> "$(dirname "$0")/tries"
[ "$(wc -l < "$(dirname "$0")/tries")" -gt 2 ] && exit 0
echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 1 (apt-get)" >&2
exit 100
APT
chmod +x "$fake"/*
said=$(PATH="$fake:$PATH" "$(dirname "$0")/../tools/install-deps.sh" windows) || { echo "exit $?: $said"; exit 1; }
packages="cmake ninja-build g++ pkg-config console-data libx11-dev libxext-dev libxss-dev zlib1g-dev libwayland-dev \
wayland-protocols libxkbcommon-dev libdecor-0-dev libdecor-0-plugin-1-cairo g++-mingw-w64-x86-64-posix"
expected="Installing 15 Debian packages, which takes a few minutes: $packages
Another package manager holds apt's lock: waiting for it, up to 5 min
Installed them in 0 min 1? s"  # two waits of 5 s, and however long the machine took besides
case "$said" in $expected) ;; *) printf 'said:\n%s\nexpected:\n%s\n' "$said" "$expected"; exit 1 ;; esac
[ "$(cat "$fake/tries")" = "$(printf -- '-qq update\n-qq update\n-qq update\n-qq install -y %s' "$packages")" ] ||
  { echo "apt-get was called as:"; cat "$fake/tries"; exit 1; }
