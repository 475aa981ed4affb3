#!/bin/sh
# Makes a build's package with CPack in a folder of its own and unpacks it there: the packed
# programs, run through a pipe on the bound 10, must write the native programs' bytes.
#   package_test.sh DEB CPACK CONFIG NATIVE_DIR   the Debian package, which lintian must pass;
#                                                 its manual pages open
#   package_test.sh ZIP CPACK CONFIG NATIVE_DIR   the Windows zip, zorvy.exe run under Wine
#                                                 (tests/wine/with-prefix.sh); README.txt in CR LF
set -u
generator=$1 cpack=$2 config=$3 native=$4
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }
"$cpack" -G "$generator" --config "$config" -B "$dir/out" > "$dir/cpack.log" 2>&1 ||
  { cat "$dir/cpack.log" >&2; fail "cpack failed"; }
mkdir "$dir/root"

# same_bytes NAME COMMAND...: the command's bytes against those of the native program NAME.
same_bytes() {
  name=$1
  shift
  printf '10\n' | env -u DISPLAY "$native/$name" > "$dir/expected" 2>&1
  printf '10\n' | env -u DISPLAY "$@" > "$dir/actual" 2>&1 || fail "$* exited with $?"
  cmp "$dir/expected" "$dir/actual" || fail "$* wrote other bytes than $native/$name"
}

case $generator in
  DEB)
    lintian --fail-on error,warning "$dir"/out/*.deb > "$dir/lintian.log" 2>&1 ||
      { cat "$dir/lintian.log" >&2; fail "lintian finds faults in the package"; }
    dpkg-deb -x "$dir"/out/*.deb "$dir/root" || fail "dpkg-deb cannot unpack the package"
    for name in zorvy plemo; do
      same_bytes $name "$dir/root/usr/games/$name"
      page="$dir/root/usr/share/man/man6/$name.6.gz"
      MANPAGER=cat man -l "$page" > "$dir/page" 2>&1 || fail "man -l $page failed"
      grep -qw $name "$dir/page" || fail "the manual page does not name $name"
    done ;;
  ZIP)
    (cd "$dir/root" && cmake -E tar xf "$dir"/out/*.zip) || fail "the zip cannot be unpacked"
    cd "$dir"/root/*/ || fail "the zip has no folder"
    same_bytes zorvy "$here/../wine/wine-run.sh" zorvy.exe
    [ -f plemo.exe ] || fail "the zip has no plemo.exe"
    cr=$(printf '\r')
    [ -s README.txt ] && ! grep -qv "$cr\$" README.txt || fail "README.txt lacks CR LF line ends"
    ;;
esac
