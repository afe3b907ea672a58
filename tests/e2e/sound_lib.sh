# Helpers of the sound scripts (sourced after lib.sh).
SOUND_FILES="background.wav helicopter.wav Street1.wav Street2.wav Street3.wav Street4.wav Near1.wav Near2.wav Near3.wav"
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
