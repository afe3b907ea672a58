#include "app/hack/hack_options.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_registry.h"
#include "settings/settingsstore.h"

namespace vtl {
namespace {

using Args = std::vector<std::string>;

TEST(HackOptions, WindowIsChosenByOptionThenEnvironment) {
    struct Case {
        Args args;
        const char* env;
        HackTarget target;
        std::uint64_t id;
    } cases[] = {
        {{}, nullptr, HackTarget::OwnWindow, 0},
        {{}, "", HackTarget::OwnWindow, 0},
        {{}, "0x2a00007", HackTarget::WindowId, 0x2a00007},
        {{}, "44040199", HackTarget::WindowId, 44040199},
        {{"-root"}, "0x2a00007", HackTarget::Root, 0},
        {{"--root"}, nullptr, HackTarget::Root, 0},
        {{"-window"}, "0x2a00007", HackTarget::OwnWindow, 0},
        {{"-window-id", "0x10"}, "0x2a00007", HackTarget::WindowId, 0x10},
        {{"-root", "-window-id", "17"}, nullptr, HackTarget::WindowId, 17},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseHackOptions(c.args, c.env);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->target, c.target) << (c.env ? c.env : "(no env)");
        EXPECT_EQ(parsed.options->windowId, c.id);
    }
}

TEST(HackOptions, BadCommandLinesAreRefusedWithAReason) {
    struct Case {
        Args args;
        const char* env;
        const char* says;
    } cases[] = {
        {{"-bogus"}, nullptr, "unknown option \"-bogus\""},
        {{"stray"}, nullptr, "unknown argument \"stray\""},
        {{"-"}, nullptr, "unknown argument \"-\""},
        {{"-speed"}, nullptr, "-speed needs a whole number"},
        {{"-speed", "fast"}, nullptr, "-speed: \"fast\" is not a whole number"},
        {{"-timing-fps", "12.5"}, nullptr, "-timing-fps: \"12.5\" is not a whole number"},
        {{"-window-id"}, nullptr, "-window-id needs a window id"},
        {{"-window-id", "0"}, nullptr, "-window-id: \"0\" is not a window id"},
        {{"-window-id", "0xZZ"}, nullptr, "-window-id: \"0xZZ\" is not a window id"},
        {{"-window-id", "4294967296"}, nullptr, "-window-id: \"4294967296\" is not a window id"},
        {{}, "garbage", "XSCREENSAVER_WINDOW \"garbage\" is not a window id"},
        {{"-geometry", "10x10"}, nullptr, "-geometry needs WIDTHxHEIGHT (16 to 16384 each), +X+Y or both"},
        {{"-geometry", "640x480+10"}, nullptr, "-geometry needs WIDTHxHEIGHT (16 to 16384 each), +X+Y or both"},
        {{"-geometry", "="}, nullptr, "-geometry needs WIDTHxHEIGHT (16 to 16384 each), +X+Y or both"},
        {{"-delay"}, nullptr, "-delay needs a number of microseconds"},
        {{"-delay", "-5"}, nullptr, "-delay: \"-5\" is not a number of microseconds"},
        {{"-delay", "1e4"}, nullptr, "-delay: \"1e4\" is not a number of microseconds"},
        {{"-visual"}, nullptr, "-visual needs a value"},
        {{"-display"}, nullptr, "-display needs a display name"},
        {{"-no-speed"}, nullptr, "unknown option \"-no-speed\""},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseHackOptions(c.args, c.env);
        EXPECT_FALSE(parsed.options) << c.says;
        EXPECT_EQ(parsed.error, c.says);
    }
}

TEST(HackOptions, SettingsKeepTheirRangesAndDefaults) {
    FakeRegistry registry;
    const auto parsed = ParseHackOptions(
        {"-speed", "40", "-timing-fps", "5", "-no-glasses", "-fps", "-no-sounds", "-reflection-on-skull", "-video-mode",
         "-3", "-install", "-visual", "default", "-geometry", "640x480+10+10"},
        nullptr);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->width, 640);
    EXPECT_EQ(parsed.options->height, 480);
    ASSERT_EQ(parsed.options->warnings.size(), 2u);
    EXPECT_EQ(parsed.options->warnings[0], "-speed 40 is outside 1 to 11; using 11");
    StoreHackSettings(*parsed.options, registry);
    EXPECT_EQ(ReadSetting(registry, kSpeed), 11);
    EXPECT_EQ(ReadSetting(registry, kTimingFPS), 10);
    EXPECT_FALSE(ReadSettingBool(registry, kShowGlasses));
    EXPECT_TRUE(ReadSettingBool(registry, kShowFPS));
    EXPECT_FALSE(ReadSettingBool(registry, kEnableSounds));
    EXPECT_TRUE(ReadSettingBool(registry, kReflectionOnSkull));
    // Untouched settings keep the Windows defaults.
    EXPECT_TRUE(ReadSettingBool(registry, kReflectionOnGlasses));
    EXPECT_FALSE(ReadSettingBool(registry, kShowActivityTime));
    EXPECT_EQ(registry.writeCount, 6);
}

TEST(HackOptions, TheDisplayModeSettingsAreAcceptedAndChangeNothing) {
    FakeRegistry registry;
    const auto parsed = ParseHackOptions(
        {"-use-current-mode", "-no-use-current-mode", "--video-mode", "3", "-video-mode", "-3"}, nullptr);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_TRUE(parsed.options->warnings.empty());
    StoreHackSettings(*parsed.options, registry);
    EXPECT_EQ(registry.writeCount, 0);
    EXPECT_EQ(ParseHackOptions({"-video-mode"}, nullptr).error, "-video-mode needs a value");
}

TEST(HackOptions, TheLastOfTwoContradictingSwitchesWins) {
    FakeRegistry registry;
    const auto parsed = ParseHackOptions({"-glasses", "-no-glasses", "-no-fps", "-show-fps"}, nullptr);
    ASSERT_TRUE(parsed.options);
    StoreHackSettings(*parsed.options, registry);
    EXPECT_FALSE(ReadSettingBool(registry, kShowGlasses));
    EXPECT_TRUE(ReadSettingBool(registry, kShowFPS));
}

TEST(HackOptions, UsageNamesEveryOption) {
    const std::string usage = HackUsage("vtl3d");
    for (const char* option : {"-root", "-window-id", "-speed", "-timing-fps", "-show-fps", "-show-activity-time",
                               "-sounds", "-glasses", "-reflection-on-skull", "-reflection-on-glasses",
                               "-use-current-mode", "-video-mode", "-delay", "-noinstall", "-pair"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_TRUE(ParseHackOptions({"-help"}, nullptr).options->help);
}

TEST(HackOptions, DelaySetsTheFrameRateAsEveryHacksDoes) {
    struct Case {
        const char* delay;
        std::int32_t fps;
        const char* warning;
    } cases[] = {
        {"20000", 50, nullptr},
        {"33333", 30, nullptr},
        {"1000", 1000, nullptr},
        {"100000", 10, nullptr},
        {"0", 1000, nullptr},  // no pause between frames: as fast as they come
        {"999", 1000, "-delay 999 asks for 1001 frames per second, outside 10 to 1000; using 1000"},
        {"500000", 10, "-delay 500000 asks for 2 frames per second, outside 10 to 1000; using 10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delay);
        const auto parsed = ParseHackOptions({"-delay", c.delay}, nullptr);
        ASSERT_TRUE(parsed.options) << parsed.error;
        FakeRegistry registry;
        StoreHackSettings(*parsed.options, registry);
        EXPECT_EQ(ReadSetting(registry, kTimingFPS), c.fps);
        if (c.warning) {
            ASSERT_EQ(parsed.options->warnings.size(), 1u);
            EXPECT_EQ(parsed.options->warnings[0], c.warning);
        } else {
            EXPECT_TRUE(parsed.options->warnings.empty()) << parsed.options->warnings[0];
        }
    }
}

TEST(HackOptions, DelayAndTimingFpsNameOneSettingAndTheLaterWins) {
    struct Case {
        Args args;
        std::int32_t fps;
    } cases[] = {
        {{"-delay", "20000", "-timing-fps", "60"}, 60},
        {{"-timing-fps", "60", "--delay", "40000"}, 25},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseHackOptions(c.args, nullptr);
        ASSERT_TRUE(parsed.options) << parsed.error;
        FakeRegistry registry;
        StoreHackSettings(*parsed.options, registry);
        EXPECT_EQ(ReadSetting(registry, kTimingFPS), c.fps) << c.args[0];
    }
}

// What XScreenSaver and its settings program may pass to any hack. Each takes exactly
// its own argument: a setting given after it still arrives.
TEST(HackOptions, EveryStandardXScreenSaverOptionIsAccepted) {
    const Args cases[] = {
        {"-install"},
        {"-noinstall"},
        {"-no-install"},
        {"-visual", "default"},
        {"-visual", "0x21"},
        {"-mono"},
        {"-pair"},
        {"-fps"},
        {"-window"},
        {"-root"},
        {"-window-id", "0x400001"},
        {"-display", ":91"},
        {"-geometry", "640x480"},
        {"-sync"},
        {"-delay", "10000"},
        {"--noinstall"},
        {"--pair"},
    };
    for (const Args& c : cases) {
        SCOPED_TRACE(c[0]);
        Args args = c;
        args.insert(args.end(), {"-speed", "3"});
        const auto parsed = ParseHackOptions(args, nullptr);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_TRUE(parsed.options->warnings.empty());
        FakeRegistry registry;
        StoreHackSettings(*parsed.options, registry);
        EXPECT_EQ(ReadSetting(registry, kSpeed), 3);
    }
}

TEST(HackOptions, GeometryTakesWhatXTakes) {
    struct Case {
        const char* geometry;
        int width, height;
    } cases[] = {
        {"640x480", 640, 480},      {"640X480+10+10", 640, 480},
        {"=320x200-0+0", 320, 200}, {"+10+20", 800, 600},  // a position alone: the window keeps its size
        {"=-5-5", 800, 600},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseHackOptions({"-window", "-geometry", c.geometry}, nullptr);
        ASSERT_TRUE(parsed.options) << c.geometry << ": " << parsed.error;
        EXPECT_EQ(parsed.options->width, c.width) << c.geometry;
        EXPECT_EQ(parsed.options->height, c.height) << c.geometry;
    }
}

}  // namespace
}  // namespace vtl
