#pragma once
// Where the saver's windows go on a desk of several monitors. The scene keeps the
// primary monitor exactly as on a desk of one; every other monitor gets a black cover,
// so nothing of the desktop or of another program shows anywhere while the saver runs.
#include <cstdint>
#include <vector>

namespace vtl {

// A rectangle in virtual-screen coordinates, right and bottom exclusive (as the
// system's own RECT).
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    std::int64_t Width() const { return std::int64_t{right} - left; }
    std::int64_t Height() const { return std::int64_t{bottom} - top; }
    bool Empty() const { return Width() <= 0 || Height() <= 0; }
    bool Contains(const ScreenRect& other) const {
        return other.left >= left && other.top >= top && other.right <= right && other.bottom <= bottom;
    }
    bool operator==(const ScreenRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

struct SaverLayout {
    ScreenRect scene;                // the primary monitor, from the origin
    std::vector<ScreenRect> covers;  // one per other monitor, in the order given
};

// `monitors` as the system lists them, in any order; `primaryWidth` × `primaryHeight`
// the primary monitor's size, which the scene window takes from the origin.
// A monitor that shows only what the scene already covers (the primary itself, or a
// clone of it) gets no cover; one that overlaps the scene in part gets a cover that
// must stay beneath the scene. Empty rectangles and repeats are dropped.
SaverLayout LayOutSaver(const std::vector<ScreenRect>& monitors, std::int32_t primaryWidth, std::int32_t primaryHeight);

}  // namespace vtl
