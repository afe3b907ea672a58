#!/usr/bin/env bash
# The .deb as Debian would judge it: lintian finds no error and no warning, the menu
# entry through which other screen savers list the hack is where they look and
# validates, and every file carries its checksum. Usage: deb_package.sh DEB
set -euo pipefail
deb=$1
[[ -f $deb ]] || { echo "missing: $deb" >&2; exit 1; }
command -v lintian >/dev/null || { echo "lintian is not installed (Debian package lintian)" >&2; exit 1; }
command -v desktop-file-validate >/dev/null ||
    { echo "desktop-file-validate is not installed (Debian package desktop-file-utils)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
if ! tags=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "lintian finds errors or warnings in $deb:" >&2
    echo "$tags" >&2
    status=1
fi
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
entry=$work/root/usr/share/applications/screensavers/vtl3d.desktop
if [[ ! -f $entry ]]; then
    echo "no usr/share/applications/screensavers/vtl3d.desktop in $deb" >&2
    status=1
else
    # Hints (a category menus do not know) are the same as for XScreenSaver's own entries.
    if ! out=$(desktop-file-validate --no-hints "$entry" 2>&1) || [[ -n $out ]]; then
        echo "vtl3d.desktop does not validate: $out" >&2
        status=1
    fi
    grep -qx 'Name=Vantorel 3D' "$entry" || { echo "vtl3d.desktop does not name it Vantorel 3D" >&2; status=1; }
    grep -qx 'Exec=/usr/libexec/xscreensaver/vtl3d --root' "$entry" ||
        { echo "vtl3d.desktop does not start the installed hack" >&2; status=1; }
fi
if [[ ! -f $work/control/md5sums ]]; then
    echo "no md5sums in $deb" >&2
    status=1
else
    files=$(cd "$work/root" && find usr -type f | sort)
    listed=$(awk '{print $2}' "$work/control/md5sums" | sort)
    [[ $files == "$listed" ]] || { echo "md5sums does not list every file of $deb" >&2; status=1; }
    (cd "$work/root" && md5sum --quiet -c "$work/control/md5sums") || { echo "md5sums is wrong" >&2; status=1; }
fi
((status == 0)) && echo "$(basename "$deb"): lintian clean, menu entry valid, checksums complete"
exit $status
