#include "app/saver/monitor_layout.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

struct LayoutCase {
    const char* desk;
    std::vector<ScreenRect> monitors;
    std::vector<ScreenRect> covers;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.desk; }

class MonitorLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(MonitorLayoutTest, SceneOnThePrimaryAndACoverOnEveryOtherMonitor) {
    const LayoutCase& c = GetParam();
    const SaverLayout layout = LayOutSaver(c.monitors, 1024, 768);
    EXPECT_EQ(layout.scene, (ScreenRect{0, 0, 1024, 768}));
    EXPECT_EQ(layout.covers, c.covers);
}

const ScreenRect kPrimary{0, 0, 1024, 768};

INSTANTIATE_TEST_SUITE_P(
    Desks, MonitorLayoutTest,
    testing::Values(
        LayoutCase{"one", {kPrimary}, {}},
        LayoutCase{"side_by_side", {kPrimary, {1024, 0, 2048, 768}}, {{1024, 0, 2048, 768}}},
        // The primary need not come first, and others may lie left of or above it.
        LayoutCase{"left_of_primary", {{-1280, 0, 0, 1024}, kPrimary}, {{-1280, 0, 0, 1024}}},
        LayoutCase{"stacked_above", {kPrimary, {0, -1080, 1920, 0}}, {{0, -1080, 1920, 0}}},
        LayoutCase{"three_sizes",
                   {{-800, 200, 0, 800}, kPrimary, {1024, -300, 3584, 1140}},
                   {{-800, 200, 0, 800}, {1024, -300, 3584, 1140}}},
        // A clone of the primary shows the scene already; two clones of another
        // monitor need one cover.
        LayoutCase{"clone_of_primary", {kPrimary, kPrimary, {0, 0, 800, 600}}, {}},
        LayoutCase{"repeated_other", {kPrimary, {1024, 0, 2048, 768}, {1024, 0, 2048, 768}}, {{1024, 0, 2048, 768}}},
        // Overlapping the primary in part: covered, beneath the scene.
        LayoutCase{"overlapping", {kPrimary, {512, 0, 1536, 768}}, {{512, 0, 1536, 768}}},
        LayoutCase{"empty_and_inverted", {kPrimary, {5, 5, 5, 100}, {2000, 0, 1024, 768}}, {}},
        LayoutCase{"none_listed", {}, {}},
        // Far corners of the coordinate range do not overflow the size arithmetic.
        LayoutCase{"extreme",
                   {kPrimary, {INT32_MIN, INT32_MIN, INT32_MIN + 10, INT32_MAX}},
                   {{INT32_MIN, INT32_MIN, INT32_MIN + 10, INT32_MAX}}}),
    [](const testing::TestParamInfo<LayoutCase>& caseInfo) { return std::string(caseInfo.param.desk); });

TEST(MonitorLayout, ANegativePrimarySizeGivesAnEmptySceneNotAnInvertedOne) {
    const SaverLayout layout = LayOutSaver({{0, 0, 800, 600}}, -1, 0);
    EXPECT_TRUE(layout.scene.Empty());
    EXPECT_EQ(layout.scene, (ScreenRect{0, 0, 0, 0}));
    EXPECT_EQ(layout.covers.size(), 1u);  // nothing of the desk stays uncovered
}

}  // namespace
}  // namespace vtl
