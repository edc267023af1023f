#!/usr/bin/env bash
# Installs BUILD_DIR into fresh prefixes, the whole and its component Runtime
# alone (what the Debian package holds), and checks that the program, its
# resources, desktop entry, icons and manual are where the system looks for
# them, that the installed program runs through its link, and that Runtime
# holds everything but the framework's files for developers.
#   install.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
for what in all:"" runtime:"--component Runtime"; do
  IFS=: read -r name option <<<"$what"
  # shellcheck disable=SC2086 # the option is one word or none
  if ! cmake --install "$build" --prefix "$work/$name" $option >"$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    exit 1
  fi
done

p=$work/all
status=0
fail() {
  echo "$*"
  status=1
}
for file in lib/dravin/Resources/1.obj lib/dravin/Resources/1.mtl \
            share/applications/dravin.desktop share/man/man1/dravin.1.gz; do
  [ -f "$p/$file" ] || fail "not installed: $file"
done
[ "$(readlink -f "$p/bin/dravin")" = "$(readlink -f "$p/lib/dravin/dravin")" ] &&
  [ -x "$p/lib/dravin/dravin" ] || fail "bin/dravin is no link to the program in lib/dravin"

# The desktop entry starts the program by the name it has in bin, and names
# the icon by the name its files have.
entry=$p/share/applications/dravin.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
[ -x "$p/bin/$exec_name" ] || fail "the desktop entry's Exec '$exec_name' is not in bin"
for size in 16 32 48 64 128 256; do
  icon=$p/share/icons/hicolor/${size}x$size/apps/$icon_name.png
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r w h < <(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(24)
print(*struct.unpack(">II", data[16:24]) if data[:8] == b"\x89PNG\r\n\x1a\n" else (0, 0))' \
    "$icon" 2>/dev/null) || true
  [ "${w:-0}x${h:-0}" = "${size}x$size" ] || fail "no ${size}x$size PNG icon: $icon (${w:-?}x${h:-?})"
done
gzip -dc "$p/share/man/man1/dravin.1.gz" | head -1 | grep -q '^\.TH DRAVIN 1 ' ||
  fail "share/man/man1/dravin.1.gz is no gzipped dravin(1)"

# Through the link, as the menu starts it: the program finds its resources.
version=$("$p/bin/dravin" --version) || fail "the installed dravin --version failed"
[[ "$version" =~ ^dravin\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
SDL_VIDEODRIVER=offscreen "$p/bin/dravin" --window=64x48 --screenshot "$work/demo.png" \
  >"$work/demo.log" 2>&1 && [ -s "$work/demo.png" ] ||
  { cat "$work/demo.log"; fail "the installed demo drew no picture"; }

# Runtime is all of it but the headers, static libraries, CMake package and
# pkg-config file.
(cd "$p" && find . ! -type d | sort) >"$work/all.txt"
(cd "$work/runtime" && find . ! -type d | sort) >"$work/runtime.txt"
grep -vE '^\./(include/|lib/cmake/|lib/pkgconfig/|lib/[^/]*\.a$)' "$work/all.txt" >"$work/expected.txt"
if ! diff "$work/expected.txt" "$work/runtime.txt" >"$work/runtime.diff"; then
  sed 's/^</  missing from Runtime:/; s/^>/  in Runtime, for developers:/' "$work/runtime.diff" |
    grep '^  '
  fail "the component Runtime is not all of the install but the framework's files"
fi
[ $status -eq 0 ] && echo "installed: program, link, resources, desktop entry, 6 icons, manual"
exit $status
