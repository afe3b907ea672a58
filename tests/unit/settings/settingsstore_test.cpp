#include <gtest/gtest.h>

#include "platform/errors.h"
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

TEST(SettingsStore, ValuesOfAnotherTypeReadAsDefault) {
    FakeRegistry registry;
    registry.Set(HKCU, kSettingsKey, "Speed", std::string("9"));
    registry.Set(HKCU, kSettingsKey, "TimingFPS", FakeRegistry::Value{std::monostate{}});
    registry.Set(HKCU, kSettingsKey, "videomode", 3u);  // names are case-insensitive
    EXPECT_EQ(ReadSetting(registry, kSpeed), 6);
    EXPECT_EQ(ReadSetting(registry, kTimingFPS), 50);
    EXPECT_EQ(ReadSetting(registry, kVideoMode), 3);
}

TEST(SettingsStore, BooleansLookAtTheLowEightBits) {
    FakeRegistry registry;
    struct { std::uint32_t stored; bool on; } cases[] = {{0, false}, {1, true}, {2, true}, {256, false}, {257, true},
                                                         {0xFFFFFF00u, false}, {0xFFFFFFFFu, true}};
    for (const auto& c : cases) {
        registry.Set(HKCU, kSettingsKey, "ShowFPS", c.stored);
        EXPECT_EQ(ReadSettingBool(registry, kShowFPS), c.on) << c.stored;
    }
}

TEST(SettingsStore, NegativeValuesRoundTrip) {
    FakeRegistry registry;
    WriteSettingInt(registry, kSettingsKey, "VideoMode", -1);
    EXPECT_EQ(ReadSetting(registry, kVideoMode), -1);
}

TEST(SettingsStore, WriteCreatesMissingParents) {
    FakeRegistry registry;
    WriteSettingInt(registry, kSettingsKey, "Speed", 11);
    EXPECT_TRUE(registry.HasKey(HKCU, "Software"));
    EXPECT_EQ(ReadSetting(registry, kSpeed), 11);
}

TEST(SettingsStore, RefusedWriteNamesTheValue) {
    FakeRegistry registry;
    registry.DenyWrites(HKCU, kSettingsKey);
    try {
        WriteSettingInt(registry, kSettingsKey, "ShowGlasses", 1);
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'ShowGlasses'");
        EXPECT_STREQ(e.TypeName(), "ERegistryException");
    }
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
