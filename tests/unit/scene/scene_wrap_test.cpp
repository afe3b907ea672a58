// The overlay's frame rate and activity time on a clock that starts 5 s before the
// tick count wraps, and the activity time of very long runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_overlay.h"
#include "unit/scene/frame_reader.h"
#include "unit/scene/scene_fixture.h"

namespace vtl::scene_test {
namespace {

constexpr std::uint32_t kBeforeWrap = 0xFFFFFFFFu - 5000u + 1u;

struct Update {
    std::uint32_t at;  // ms after the start
    std::string fps, activity;
};

// Frames every `frameMs` for `runMs`; the texts after every overlay update.
std::vector<Update> Updates(Scene& s, FakeClock& clock, std::uint32_t start, std::uint32_t frameMs,
                            std::uint32_t runMs) {
    std::vector<Update> updates;
    for (std::uint32_t t = frameMs; t <= runMs; t += frameMs) {
        clock.now = start + t;
        const std::uint32_t seconds = s.ActivitySeconds;
        s.RenderFrame();
        if (s.ActivitySeconds != seconds) updates.push_back({t, s.FpsText, s.ActivityText});
    }
    return updates;
}

TEST_F(SceneTest, TheOverlayCountsEverySecondAcrossTheTickWrap) {
    const struct {
        std::uint32_t frameMs;
        const char* fps;
        std::uint32_t updateMs;  // a counted second: the first frame past 1000 ms
    } paces[] = {{20, "50.00 fps", 1020}, {41, "24.39 fps", 1025}, {7, "142.86 fps", 1001}, {333, "3.00 fps", 1332}};
    for (const auto& pace : paces) {
        for (std::uint32_t start : {0u, kBeforeWrap, 0xFFFFFFFFu}) {
            SCOPED_TRACE(testing::Message() << "frame " << pace.frameMs << " ms, start " << start);
            clock.now = start;
            Scene& s = MakeScene();
            const std::vector<Update> updates = Updates(s, clock, start, pace.frameMs, 12000);
            ASSERT_EQ(updates.size(), 12000u / pace.updateMs);
            for (std::size_t i = 0; i < updates.size(); ++i) {
                EXPECT_EQ(updates[i].at, (i + 1) * pace.updateMs) << "update " << i;
                EXPECT_EQ(updates[i].fps, pace.fps) << "update " << i;
                EXPECT_EQ(updates[i].activity, FormatActivityTime(static_cast<std::uint32_t>(i + 1)));
            }
        }
    }
}

TEST_F(SceneTest, APauseOverTheWrapCountsAsOneSecondAtItsAverageRate) {
    // Frames stop before the wrap (the window lost its activation) and come back 3 s
    // after it: one update, 50 frames over the 5020 ms since the last one.
    clock.now = kBeforeWrap;
    Scene& s = MakeScene();
    ASSERT_EQ(Updates(s, clock, kBeforeWrap, 20, 3060).size(), 3u);
    clock.now = kBeforeWrap + 3080u;
    for (int i = 0; i < 49; ++i) s.RenderFrame();
    clock.now = kBeforeWrap + 3060u + 5020u;
    s.RenderFrame();
    EXPECT_EQ(s.ActivitySeconds, 4u);
    EXPECT_EQ(s.FpsText, "9.96 fps");
    EXPECT_EQ(s.ActivityText, "0.04");
    EXPECT_EQ(s.LastUpdateTick, kBeforeWrap + 8080u);
}

TEST_F(SceneTest, ActivityTimeGoesOnInMinutesPastAHundredHours) {
    // 99:59:59 and beyond: minutes are never folded into hours, so the line just grows
    // by a digit and every character has its glyph.
    const struct {
        std::uint32_t before;
        const char* after;
    } cases[] = {{359998, "5999.59"}, {359999, "6000.00"}, {360000, "6000.01"}, {3599999, "60000.00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        SetSetting(kShowActivityTime, 1);
        clock.now = kBeforeWrap;
        Scene& s = MakeScene();
        const FrameReader frame(s);
        s.ActivitySeconds = c.before;
        clock.now = kBeforeWrap + 5500u;  // the update falls after the wrap
        log().Clear();
        s.RenderFrame();
        EXPECT_EQ(s.ActivityText, c.after);
        EXPECT_EQ(frame.Count(log(), "font"), std::string(c.after).size());
    }
}

}  // namespace
}  // namespace vtl::scene_test
