"""Prints the screen savers mate-screensaver offers, one name a line, read as its
preferences read them: the entries of the menu mate-screensavers.menu, through the
MATE menu library (Debian packages mate-screensaver-common, gir1.2-matemenu-2.0,
python3-gi)."""
import sys

import gi

gi.require_version("MateMenu", "2.0")
from gi.repository import MateMenu  # noqa: E402


def main():
    tree = MateMenu.Tree.new("mate-screensavers.menu", MateMenu.TreeFlags.NONE)
    if not tree.load_sync():
        sys.exit("the menu mate-screensavers.menu could not be read")
    items = tree.get_root_directory().iter()
    while True:
        kind = items.next()
        if kind == MateMenu.TreeItemType.INVALID:
            break
        if kind == MateMenu.TreeItemType.ENTRY:
            print(items.get_entry().get_app_info().get_name())


main()
