#!/bin/sh
# Makes a package with CPack in a folder of its own and unpacks it there: the packed programs,
# run through a pipe on the bound 10, must write the native programs' bytes.
#   package_test.sh DEB CPACK CONFIG NATIVE_DIR   the Debian package, built as `make package`
#                                                 builds it (not from CONFIG: the tests' build
#                                                 is not hardened), and made again from that
#                                                 build configured on another day: the same
#                                                 bytes. lintian passes it at the info level;
#                                                 each manual page names its program's form and
#                                                 every variable the programs read, and its
#                                                 example shows what the program prints; the
#                                                 menu entries and metadata are valid, each
#                                                 program's own, and where the desktop looks,
#                                                 with each program's icons
#   package_test.sh ZIP CPACK CONFIG NATIVE_DIR   the Windows zip, zorvy.exe run under Wine
#                                                 (tests/wine/with-prefix.sh); its files listed
#                                                 whole, the licence among them; README.txt in CR LF
#                                                 with every exit code; each program carries its
#                                                 own icon
set -u
generator=$1 cpack=$2 config=$3 native=$4
src=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export TMPDIR="$dir"  # what lintian and the tools keep for a while goes with the folder
fail() { echo "package test: $*" >&2; exit 1; }
# quietly WHAT COMMAND...: runs the command, showing its output only when it fails.
quietly() { what=$1; shift; "$@" > "$dir/log" 2>&1 || { cat "$dir/log" >&2; fail "$what"; }; }
# pack FOLDER: makes the package into $dir/FOLDER.
pack() { quietly "cpack failed" "$cpack" -G "$generator" --config "$config" -B "$dir/$1"; }
# same_bytes NAME COMMAND...: the command's bytes against those of the native program NAME.
same_bytes() {
  printf '10\n' | env -u DISPLAY -u WAYLAND_DISPLAY "$native/$1" > "$dir/expected" 2>&1; shift
  printf '10\n' | env -u DISPLAY -u WAYLAND_DISPLAY "$@" > "$dir/actual" 2>&1 || fail "$* exited with $?"
  cmp "$dir/expected" "$dir/actual" || fail "$* wrote other bytes than the native program"
}
if [ "$generator" = DEB ]; then
  config=$dir/build/CPackConfig.cmake
  quietly "the package's build failed" cmake -S "$src" -B "$dir/build" -G Ninja -DDEBIAN_BUILD_FLAGS=ON
  quietly "the package's build failed" cmake --build "$dir/build" --target zorvy plemo
  pack out
  # Only CMake's strip, which keeps the .comment section, is not Debian's.
  quietly "lintian failed" lintian -I --suppress-tags binary-has-unneeded-section --fail-on error,warning,info "$dir"/out/*.deb
  quietly "the package's build failed" env SOURCE_DATE_EPOCH=0 cmake "$dir/build"  # as on 1 January 1970
  pack again && cmp "$dir"/out/*.deb "$dir"/again/*.deb || fail "the package of one commit came out with other bytes"
  dpkg-deb -x "$dir"/out/*.deb "$dir" && cd "$dir/usr" || fail "dpkg-deb cannot unpack the package"
  # The menus' entries and software centres' metadata are valid, each program's own, and the
  # icon theme has each program's own icon at every size, as the build drew it.
  quietly "a menu entry or the AppStream metadata is not valid" sh -c \
    'desktop-file-validate share/applications/*.desktop && appstreamcli validate --no-net share/metainfo/*.metainfo.xml'
  for entry in 'zorvy/n! - 1' 'plemo/n! + 1'; do
    name=${entry%%/*} form=${entry#*/} metainfo=$(ls share/metainfo/*.${entry%%/*}.metainfo.xml)
    same_bytes $name games/$name
    # The menu entry starts the program, not in a terminal, with its icon, the window's class
    # and its own comment; its AppStream component launches that entry, sums this program up,
    # shows it and has the entry's keywords.
    [ "$(cat share/applications/$name.desktop "$metainfo" | grep -cx -e "Exec=$name" -e "Icon=$name" -e Terminal=false \
      -e "Comment=List the primes of the form $form up to a bound" -e " *<summary>List the primes of the form $form</summary>" -e "StartupWMClass=$(echo $name |
      sed 's/./\U&/')" -e " *<launchable type=\"desktop-id\">$name.desktop</launchable>" -e " *<image>https://.*/$name.png</image>" \
      -e " *<caption>$name's window after the bound 10</caption>" -e "Keywords=$(sed -n 's/^ *<keyword>\(.*\)<\/keyword>$/\1;/p' \
      "$metainfo" | tr -d '\n')")" = 10 ] || fail "the menu entry or the AppStream component of $name is not its own"
    for size in 16 24 32 48 64 128 256; do cmp -s share/icons/hicolor/${size}x$size/apps/$name.png "$native/icons/$name/icon-$size.png" || fail "the icon theme lacks the $size-pixel icon of $name"; done
    env -i PATH="$PATH" LC_ALL=C MANWIDTH=80 man -l share/man/man6/$name.6.gz > "$dir/page" 2>&1 || fail "the manual page of $name does not open"
    grep -qx "       $name - list the primes of the form $form" "$dir/page" || fail "the manual page of $name lacks its form"
    for v in $(cd "$src" && grep -rhoE '(getenv|XrmGetResource)\([^"]*"[^"]+"' app console gfx runtime --exclude-dir=win32 \
      --exclude-dir=web | cut -d'"' -f2); do grep -qE "^ {7}$v( |\$)" "$dir/page" || fail "the manual page of $name lacks $v"; done
    # The page's example runs the program without a display and shows what it prints for the
    # bound 10, blank lines left out.
    [ "$(sed -n '/^EXAMPLE$/,/^$/{/^[A-Z]*$/d;s/^       //;s/ *$//;p}' "$dir/page")" = "$(printf '%s\n' \
      "\$ printf '10\\n' | env -u DISPLAY -u WAYLAND_DISPLAY $name | tr -d '\\r' | grep ." "$(tr -d '\r' < "$dir/actual" | grep . | sed 's/ *$//')")" ] ||
      fail "the example of the manual page of $name is not what it prints"
  done
else
  pack out
  cd "$dir" && cmake -E tar xf out/*.zip && cd zorvy-plemo-*/ || fail "the zip cannot be unpacked into a folder"
  # One folder holds the two programs, README.txt and the licence in CR LF, and nothing else.
  [ "$(cmake -E tar tf ../out/*.zip | sort | tr '\n' ' ')" = "$(printf "${PWD##*/}/%s " LICENSE.txt README.txt plemo.exe zorvy.exe)" ] &&
    tr -d '\r' < LICENSE.txt | cmp -s - "$src/LICENSE" || fail "the zip holds other files than the programs, README.txt and LICENSE.txt"
  [ "$(grep -cv "$(printf '\r')\$" README.txt)/$(sed -n 's/^    \([0-9][0-9A-Fx]*\) .*/\1/p' README.txt | tr '\n' ' ')" = "0/0 1 0xC000013A " ] ||
    fail "README.txt lacks CR LF line ends or an exit code"
  same_bytes zorvy "$src/tests/wine/wine-run.sh" zorvy.exe
  # Each program carries its own icon file, as the build drew it, as its one group of icons.
  for name in zorvy plemo; do
    # wrestool pads the icon file it rebuilds from the group: the build's file is what comes first.
    wrestool -x --type=14 --name=QZ_PROGRAM_ICON $name.exe | cmp -s -n "$(wc -c < "$native/icons/$name/icon.ico")" - \
      "$native/icons/$name/icon.ico" || fail "$name.exe lacks its icon"
  done
fi
