#!/usr/bin/env bash
# Runs a command in the project as on a freshly installed Debian 12 machine, the machine a
# newcomer has: a new root file system (mmdebstrap: apt with git, make and ca-certificates, and
# nothing else), a clean clone of this checkout's HEAD in it, a process namespace of its own (no
# other program of this machine is seen), TERM=dumb and no other variable of the caller's.
# Afterwards it fails when the command left anything in the root's /tmp, then unmounts and
# removes the root, also when the command fails or the run is interrupted.
#
#   tools/fresh-debian.sh                    # make test, as root (what CI runs)
#   tools/fresh-debian.sh 'make run-deps all && printf "10\n" | build/zorvy'
#   FRESH_USER=1 tools/fresh-debian.sh 'make test'   # as a user who is not root (no sudo)
#
# Run it as root. It takes the host's apt sources and local CA certificates along, as a machine
# behind a TLS-inspecting proxy needs; nothing else of the host goes in.
set -euo pipefail
command_line=${1:-make test}
repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
[ "$(id -u)" = 0 ] || { echo "fresh-debian: run it as root" >&2; exit 2; }
if ! command -v mmdebstrap > /dev/null; then
  echo "fresh-debian: installing mmdebstrap" >&2
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap > /dev/null 2>&1
fi

root=$(mktemp -d /tmp/fresh-debian.XXXXXX)
mounted=()
inside=""
cleanup() {
  [ -n "$inside" ] && kill -KILL "$inside" 2> /dev/null && wait "$inside" 2> /dev/null
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2> /dev/null || true; done
  # Removed only once nothing is mounted below it: a bind mount would take the host's files along.
  if ! grep -q " $root/" /proc/self/mounts; then rm -rf "$root"; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

sources=""
for f in /etc/apt/sources.list.d/*.sources /etc/apt/sources.list; do [ -s "$f" ] && { sources=$f; break; }; done
echo "fresh-debian: making a Debian 12 root in $root" >&2
mmdebstrap --quiet --variant=apt --include=git,make,ca-certificates bookworm "$root" ${sources:+"$sources"} >&2
if compgen -G '/usr/local/share/ca-certificates/*.crt' > /dev/null; then
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  chroot "$root" update-ca-certificates > /dev/null 2>&1
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2> /dev/null || true
for m in proc sys dev dev/pts; do
  mount --bind "/$m" "$root/$m"
  mounted+=("$root/$m")
done
mount -t tmpfs tmpfs "$root/dev/shm"
mounted+=("$root/dev/shm")

home=/root
as=(bash -c)
if [ -n "${FRESH_USER:-}" ]; then
  chroot "$root" useradd -m newcomer
  home=/home/newcomer
  as=(su newcomer -c)
fi
git clone -q "$repo" "$root$home/proj"
chroot "$root" chown -R "$(chroot "$root" stat -c %U "$home")": "$home/proj"

echo "fresh-debian: running '$command_line' in $home/proj" >&2
SECONDS=0
status=0
unshare --pid --fork --kill-child --mount-proc="$root/proc" chroot "$root" env -i HOME="$home" TERM=dumb \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI=true \
  "${as[@]}" "cd $home/proj && $command_line" &
inside=$!
wait "$inside" || status=$?
inside=""
echo "fresh-debian: exit $status after $((SECONDS / 60)) min $((SECONDS % 60)) s" >&2
# The X servers' socket folder is every machine's own; what is in it is not.
left=$(cd "$root/tmp" && find . -mindepth 1 -maxdepth 2 ! -path ./.X11-unix | sort)
if [ "$status" = 0 ] && [ -n "$left" ]; then
  echo "fresh-debian: the command left these in /tmp:" >&2
  echo "$left" | sed 's/^/  /' >&2
  status=1
fi
exit "$status"
