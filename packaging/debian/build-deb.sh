#!/usr/bin/env bash
# Builds the .deb of the Linux program from a native build's bin folder:
#   build-deb.sh BIN_DIR OUT_FILE VERSION
# The hack goes where Debian's XScreenSaver keeps its hacks, its option file where
# xscreensaver-settings reads them, its menu entry where the other screen savers look
# for hacks, the packs into /usr/share/vtl3d. Dependencies come from dpkg-shlibdeps for
# what the program links, plus libgl1 for the OpenGL library libepoxy opens at run time.
# The package is made straight from the build's tested program rather than by a second
# build from source; lintian, where installed, says what it thinks of the result.
set -euo pipefail
bin=$1 out=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
doc=$stage/usr/share/doc/vtl3d
install -d "$stage/DEBIAN" "$stage/usr/libexec/xscreensaver" "$stage/usr/share/xscreensaver/config" \
    "$stage/usr/share/applications/screensavers" "$stage/usr/share/vtl3d" "$stage/usr/share/man/man6" "$doc"
install -m 0755 "$bin/vtl3d" "$stage/usr/libexec/xscreensaver/vtl3d"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage/usr/libexec/xscreensaver/vtl3d"
install -m 0644 "$here/vtl3d.xml" "$stage/usr/share/xscreensaver/config/vtl3d.xml"
install -m 0644 "$here/vtl3d.desktop" "$stage/usr/share/applications/screensavers/vtl3d.desktop"
install -m 0644 "$bin/vtl3d.pak" "$bin/vtlsound.pak" "$stage/usr/share/vtl3d/"
gzip -9n <"$here/vtl3d.6" >"$stage/usr/share/man/man6/vtl3d.6.gz"
install -m 0644 "$here/README.Debian" "$here/copyright" "$doc/"
# The package is its own upstream (a version without a Debian revision), so its
# changelog is changelog.gz rather than changelog.Debian.gz.
gzip -9n <"$here/changelog" >"$doc/changelog.gz"
chmod 0644 "$stage/usr/share/man/man6/vtl3d.6.gz" "$doc/changelog.gz"
changelog_version=$(dpkg-parsechangelog -l "$here/changelog" -S Version)
[[ $changelog_version == "$version" ]] || {
    echo "build-deb: the changelog's latest entry is $changelog_version, the program is $version" >&2
    exit 1
}

# dpkg-shlibdeps wants to stand in a source tree.
mkdir -p "$work/src/debian"
printf 'Source: vtl3d\n\nPackage: vtl3d\nArchitecture: any\n' >"$work/src/debian/control"
shlibs=$(cd "$work/src" && dpkg-shlibdeps -O "$stage/usr/libexec/xscreensaver/vtl3d" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
[[ -n $shlibs ]] || { echo "build-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$(dpkg --print-architecture)/" \
    -e "s/@DEPENDS@/$shlibs, libgl1/" -e "s/@SIZE@/$size/" "$here/control.in" >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$out" >/dev/null
echo "built $out"
if command -v lintian >/dev/null; then
    # Only its tags: as root it also says that it would rather not run as root.
    tags=$(lintian --tag-display-limit 0 "$out" 2>&1 | grep -E '^[A-Z]: ' || true)
    if [[ -z $tags ]]; then echo "lintian: no errors and no warnings"; else echo "lintian:" && echo "$tags"; fi
else
    echo "lintian: not installed (Debian package lintian), the package was not checked"
fi
