#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"
#include "settings/settingsstore.h"

namespace vtl {
namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;

TEST(SettingsStore, ReadingAnEmptyHiveCreatesNothing) {
    FakeRegistry registry;
    for (const auto& s : kSettingsTable) EXPECT_EQ(ReadSettingInt(registry, kSettingsKey, s.name, -77), -77) << s.name;
    EXPECT_FALSE(registry.HasKey(HKCU, kSettingsKey));
    EXPECT_FALSE(registry.HasKey(HKCU, "Software"));
}

TEST(VideoModeTable, IndexesInsideTheTableOnly) {
    ASSERT_TRUE(GetVideoModeSize(3).has_value());
    EXPECT_EQ(GetVideoModeSize(3)->width, 800);
    EXPECT_EQ(GetVideoModeSize(3)->height, 600);
    EXPECT_EQ(GetVideoModeSize(3)->bitsPerPixel, 32);
    EXPECT_STREQ(GetVideoModeSize(5)->text, "1024x768x32bit");
    for (int bad : {-1, 6, 7, INT32_MIN, INT32_MAX}) EXPECT_FALSE(GetVideoModeSize(bad).has_value()) << bad;
}

}  // namespace
}  // namespace vtl
