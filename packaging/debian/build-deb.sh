#!/usr/bin/env bash
# Builds the .deb of the Linux program from a native build's bin folder:
#   build-deb.sh BIN_DIR OUT_FILE VERSION
# The hack goes where Debian's XScreenSaver keeps its hacks, its option file where
# xscreensaver-settings reads them, the packs into /usr/share/vtl3d. Dependencies come
# from dpkg-shlibdeps for what the program links, plus libgl1 for the OpenGL library
# libepoxy opens at run time.
set -euo pipefail
bin=$1 out=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
install -d "$stage/DEBIAN" "$stage/usr/libexec/xscreensaver" "$stage/usr/share/xscreensaver/config" \
    "$stage/usr/share/vtl3d" "$stage/usr/share/man/man6" "$stage/usr/share/doc/vtl3d"
install -m 0755 "$bin/vtl3d" "$stage/usr/libexec/xscreensaver/vtl3d"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage/usr/libexec/xscreensaver/vtl3d"
install -m 0644 "$here/vtl3d.xml" "$stage/usr/share/xscreensaver/config/vtl3d.xml"
install -m 0644 "$bin/vtl3d.pak" "$bin/vtlsound.pak" "$stage/usr/share/vtl3d/"
gzip -9n <"$here/vtl3d.6" >"$stage/usr/share/man/man6/vtl3d.6.gz"
install -m 0644 "$here/README.Debian" "$stage/usr/share/doc/vtl3d/README.Debian"
cat >"$stage/usr/share/doc/vtl3d/copyright" <<'TEXT'
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: vtl3d
Files: *
Copyright: Vantorel 3D developers
License: all rights reserved; every asset is generated from the program's own code
TEXT
chmod 0644 "$stage/usr/share/doc/vtl3d/copyright"

# dpkg-shlibdeps wants to stand in a source tree.
mkdir -p "$work/src/debian"
printf 'Source: vtl3d\n\nPackage: vtl3d\nArchitecture: any\n' >"$work/src/debian/control"
shlibs=$(cd "$work/src" && dpkg-shlibdeps -O "$stage/usr/libexec/xscreensaver/vtl3d" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
[[ -n $shlibs ]] || { echo "build-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$(dpkg --print-architecture)/" \
    -e "s/@DEPENDS@/$shlibs, libgl1/" -e "s/@SIZE@/$size/" "$here/control.in" >"$stage/DEBIAN/control"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$out" >/dev/null
echo "built $out"
