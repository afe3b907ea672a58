# Helpers of the sound scripts (sourced after lib.sh).
# The sound pack's entries, from the one header that names every asset.
SOUND_FILES=$(sed -n 's/^inline constexpr const char\* k[A-Za-z0-9]*File = "\([^"]*\.wav\)";$/\1/p' \
    "$VTL_SOURCE_DIR/src/pack/assetnames.h" | tr '\n' ' ')
[[ $(wc -w <<<"$SOUND_FILES") -eq 9 ]] || { echo "sound_lib: cannot read the sound names from assetnames.h" >&2; exit 1; }
# capture_mark: the capture's size now, in whole frames' bytes.
capture_mark() {
    local size
    size=$(stat -c %s "$WINEBED_CAPTURE" 2>/dev/null || echo 0)
    echo $((size - size % 8))
}
# capture_stats FROM: "frames left right" after byte FROM: frames that carry sound and
# the root mean square of each side over them (float32 stereo frames).
capture_stats() {
    tail -c +$(($1 + 1)) "$WINEBED_CAPTURE" 2>/dev/null | od -An -v -f -w8 |
        awk '{ l = $1; r = $2; a = (l < 0 ? -l : l) + (r < 0 ? -r : r)
               if (a > 0.001) { n++; sl += l * l; sr += r * r } }
             END { printf "%d %.5f %.5f\n", n, n ? sqrt(sl / n) : 0, n ? sqrt(sr / n) : 0 }'
}
