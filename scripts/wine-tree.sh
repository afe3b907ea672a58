# Sourced by the scripts that run the Windows build under Wine. Sets WINE_TREE to the
# build tree whose programs this machine's Wine can run, building it if need be.
#
# The product is the 32-bit tree (build/windows). Debian's 32-bit Wine is itself a
# 32-bit Linux program; on a machine that cannot run those (a kernel or virtual
# machine without 32-bit support) no 32-bit Windows program can start under Wine, so
# the Wine tests run on a 64-bit build of the same sources instead. That build is
# never shipped, and the guard on the shipped binaries still checks the 32-bit tree.
pick_wine_tree() {
    if tests/winebed/winebed.sh runs32; then
        WINE_TREE=$PWD/build/windows
        return 0
    fi
    echo "NOTE: this machine cannot run 32-bit Linux programs, so Debian's 32-bit Wine cannot" >&2
    echo "NOTE: start: the Wine tests run on the 64-bit test-bed build (not shipped)." >&2
    cmake --preset windows-x64-testbed >/dev/null
    cmake --build --preset windows-x64-testbed
    WINE_TREE=$PWD/build/windows-x64-testbed
}
