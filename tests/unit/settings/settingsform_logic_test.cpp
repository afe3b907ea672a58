#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fake/fake_registry.h"
#include "settings/settingsform_logic.h"
#include "settings/settingsstore.h"

namespace vtl {
namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;

std::uint32_t Stored(const FakeRegistry& registry, const char* name) {
    const auto* v = registry.Get(HKCU, kSettingsKey, name);
    if (!v || !std::holds_alternative<std::uint32_t>(*v)) ADD_FAILURE() << name << " is not a DWORD";
    return v && std::holds_alternative<std::uint32_t>(*v) ? std::get<std::uint32_t>(*v) : 0xDEADBEEFu;
}

TEST(SettingsFormLoad, EmptyHiveShowsEveryDefaultWithTheListDisabledAndCreatesNothing) {
    FakeRegistry registry;
    const auto shown = LoadSettingsForm(registry);
    EXPECT_EQ(shown, SettingsFormState{});
    EXPECT_FALSE(VideoModeListEnabled(shown.Checked(kUseCurrentMode)));
    EXPECT_FALSE(registry.HasKey(HKCU, kSettingsKey));
}

TEST(SettingsFormLoad, PullsStoredValuesIntoWhatTheControlsCanShow) {
    struct Case {
        const SettingDef* setting;
        std::uint32_t stored;
        std::int32_t shown;
    };
    const Case cases[] = {
        {&kSpeed, 20, 11},
        {&kSpeed, 0, 1},
        {&kSpeed, static_cast<std::uint32_t>(-5), 1},
        {&kSpeed, 11, 11},
        {&kTimingFPS, 5, 10},
        {&kTimingFPS, 5000, 1000},
        {&kTimingFPS, static_cast<std::uint32_t>(-1), 10},
        {&kTimingFPS, 999, 999},
        {&kVideoMode, 5, 5},
        {&kVideoMode, 9, kNoVideoMode},
        {&kVideoMode, 6, kNoVideoMode},
        {&kVideoMode, static_cast<std::uint32_t>(-1), kNoVideoMode},
        {&kShowFPS, 2, 1},
        {&kEnableSounds, 256, 0},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.Set(HKCU, kSettingsKey, c.setting->name, c.stored);
        EXPECT_EQ(LoadSettingsForm(registry).Value(*c.setting), c.shown)
            << c.setting->name << " " << static_cast<int>(c.stored);
    }
}

TEST(SettingsFormLoad, BooleansFollowTheLowByteAndDriveTheModeList) {
    FakeRegistry registry;
    registry.Set(HKCU, kSettingsKey, "UseCurrentMode", 256u);  // low byte zero: off
    registry.Set(HKCU, kSettingsKey, "ShowFPS", 2u);
    registry.Set(HKCU, kSettingsKey, "EnableSounds", 0u);
    registry.Set(HKCU, kSettingsKey, "ShowGlasses", std::string("0"));  // wrong kind: default on
    const auto s = LoadSettingsForm(registry);
    EXPECT_FALSE(s.Checked(kUseCurrentMode));
    EXPECT_TRUE(VideoModeListEnabled(s.Checked(kUseCurrentMode)));
    EXPECT_TRUE(s.Checked(kShowFPS));
    EXPECT_FALSE(s.Checked(kEnableSounds));
    EXPECT_TRUE(s.Checked(kShowGlasses));
}

TEST(SettingsFormState, TheFormAsDesignedIsNotTheDefaults) {
    const SettingsFormState design = FormDesignState();
    for (const SettingDef* box :
         {&kShowFPS, &kShowActivityTime, &kEnableSounds, &kShowGlasses, &kReflectionOnSkull, &kReflectionOnGlasses})
        EXPECT_FALSE(design.Checked(*box)) << box->name;
    EXPECT_TRUE(design.Checked(kUseCurrentMode));
    EXPECT_FALSE(VideoModeListEnabled(design.Checked(kUseCurrentMode)));
    EXPECT_EQ(design.Value(kSpeed), 6);
    EXPECT_EQ(design.Value(kTimingFPS), 50);
    EXPECT_EQ(design.Value(kVideoMode), 0);
    EXPECT_NE(design, SettingsFormState{});
}

TEST(SettingsFormState, ARegistryOnlyValueIsNoControlOfTheForm) {
    SettingsFormState state;
    EXPECT_THROW(state.Value(kSceneOnEveryMonitor), std::out_of_range);
    EXPECT_THROW(state.Set(kSceneOnEveryMonitor, 1), std::out_of_range);
}

TEST(SettingsFormStore, WritesAllTenAsDwordsBooleansAsZeroOrOne) {
    FakeRegistry registry;
    SettingsFormState s;
    s.Set(kSpeed, 3);
    s.Set(kTimingFPS, 120);
    s.Set(kShowFPS, 2);  // whatever a control reported, a Boolean is stored as 0 or 1
    s.SetChecked(kShowActivityTime, false);
    s.SetChecked(kEnableSounds, true);
    s.SetChecked(kShowGlasses, false);
    s.SetChecked(kReflectionOnSkull, true);
    s.SetChecked(kReflectionOnGlasses, false);
    s.SetChecked(kUseCurrentMode, false);
    s.Set(kVideoMode, 3);
    StoreSettingsForm(registry, s);
    const std::vector<std::pair<const char*, std::uint32_t>> expected = {
        {"Speed", 3},          {"TimingFPS", 120}, {"ShowFPS", 1},           {"ShowActivityTime", 0},
        {"EnableSounds", 1},   {"ShowGlasses", 0}, {"ReflectionOnSkull", 1}, {"ReflectionOnGlasses", 0},
        {"UseCurrentMode", 0}, {"VideoMode", 3}};
    for (const auto& [name, value] : expected) EXPECT_EQ(Stored(registry, name), value) << name;
    EXPECT_EQ(registry.writeCount, 10);
    s.Set(kShowFPS, 1);
    EXPECT_EQ(LoadSettingsForm(registry), s);  // what OK stores is what the dialog shows next time
}

TEST(SettingsFormOk, OutOfRangeStoredValuesAreStoredBackAsShown) {
    FakeRegistry registry;
    registry.Set(HKCU, kSettingsKey, "VideoMode", 9u);
    registry.Set(HKCU, kSettingsKey, "Speed", 20u);
    const auto shown = LoadSettingsForm(registry);
    const auto outcome = SettingsFormOk(registry, shown, std::to_string(shown.Value(kTimingFPS)));
    EXPECT_TRUE(outcome.close);
    EXPECT_EQ(static_cast<std::int32_t>(Stored(registry, "VideoMode")), -1);
    EXPECT_EQ(Stored(registry, "Speed"), 11u);
}

TEST(SettingsFormOk, TakesTheTimingFromTheFieldsTextAsItStands) {
    FakeRegistry registry;
    const auto outcome = SettingsFormOk(registry, SettingsFormState{}, "abc");
    EXPECT_TRUE(outcome.close);
    EXPECT_EQ(Stored(registry, "TimingFPS"), 10u);
    SettingsFormOk(registry, SettingsFormState{}, "123456");
    EXPECT_EQ(Stored(registry, "TimingFPS"), 1000u);
}

TEST(SettingsFormOk, RefusedWriteKeepsTheDialogOpenAndNamesTheValue) {
    FakeRegistry registry;
    registry.DenyWrites(HKCU, kSettingsKey);
    const auto outcome = SettingsFormOk(registry, SettingsFormState{}, "50");
    EXPECT_FALSE(outcome.close);
    // The closing apostrophe sorts before '.', so no full stop is added.
    EXPECT_EQ(outcome.errorText, "Failed to set data for 'Speed'");
    EXPECT_EQ(registry.writeCount, 0);
}

// Fails the n-th write, so the stop point of the sequence is visible.
class FailingAtRegistry : public IRegistry {
public:
    explicit FailingAtRegistry(int failAt) : failAt_(failAt) {}
    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override {
        return inner.OpenKey(root, path);
    }
    std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override {
        if (++calls_ == failAt_) return nullptr;
        return inner.CreateKey(root, path);
    }
    FakeRegistry inner;

private:
    int failAt_;
    int calls_ = 0;
};

TEST(SettingsFormOk, StopsAtTheFailingWriteInTheFixedOrder) {
    for (std::size_t failing = 0; failing < kAllSettings.size(); ++failing) {
        FailingAtRegistry registry(static_cast<int>(failing) + 1);
        const auto outcome = SettingsFormOk(registry, SettingsFormState{}, "50");
        EXPECT_FALSE(outcome.close);
        EXPECT_EQ(outcome.errorText, std::string("Failed to set data for '") + kAllSettings[failing].name + "'");
        for (std::size_t i = 0; i < kAllSettings.size(); ++i)
            EXPECT_EQ(registry.inner.Get(HKCU, kSettingsKey, kAllSettings[i].name) != nullptr, i < failing)
                << "failing " << kAllSettings[failing].name << ", looking at " << kAllSettings[i].name;
    }
}

TEST(TimingField, TextBecomesAWholeNumberWithinTheRange) {
    const std::pair<const char*, int> cases[] = {
        {"50", 50},
        {"10", 10},
        {"1000", 1000},
        {"9", 10},
        {"1001", 1000},
        {"0", 10},
        {"-5", 10},
        {"+77", 77},
        {" 42 ", 42},
        {"", 10},
        {"abc", 10},
        {"12a", 10},
        {"1.5", 10},
        {"-", 10},
        {"99999999999999999999", 1000},
        {"-99999999999999999999", 10},
        {"0000250", 250},
        {"1e3", 10},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(TimingFromText(text), value) << '"' << text << '"';
}

TEST(TimingField, StepsStayInsideTheRange) {
    EXPECT_EQ(StepTiming("50", 1), 51);
    EXPECT_EQ(StepTiming("50", -1), 49);
    EXPECT_EQ(StepTiming("1000", 1), 1000);
    EXPECT_EQ(StepTiming("10", -1), 10);
    EXPECT_EQ(StepTiming("junk", 1), 11);
    EXPECT_EQ(StepTiming("5000", -1), 999);
}

TEST(SettingsFormText, FullStopOnlyAfterCharactersSortingAfterIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"Failed to set data for 'Speed'", "Failed to set data for 'Speed'"},
        {"Disk full", "Disk full."},
        {"Done.", "Done."},
        {"Odd!", "Odd!"},
        {"Path /", "Path /."},
        {"", ""},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(DialogErrorText(message), shown) << message;
}

TEST(SettingsFormFiles, HelpAndShortcutPaths) {
    EXPECT_EQ(HelpTopicPath("C:\\Program Files\\Vantorel 3D Screensaver"),
              "C:\\Program Files\\Vantorel 3D Screensaver\\vtl3d.chm::/index.html");
    EXPECT_EQ(HelpTopicPath("D:\\"), "D:\\vtl3d.chm::/index.html");

    std::vector<std::string> asked;
    auto none = [&](const std::string& p) {
        asked.push_back(p);
        return false;
    };
    auto any = [](const std::string&) { return true; };
    EXPECT_EQ(WebShortcutPath("C:\\Inst", "D:\\Savers", any), "C:\\Inst\\Site.url");
    EXPECT_EQ(WebShortcutPath("C:\\Inst", "D:\\Savers", none), "D:\\Savers\\Site.url");
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\Inst\\Site.url"});
    EXPECT_EQ(WebShortcutPath("C:\\Inst", "D:\\", none), "D:\\Site.url");
}

}  // namespace
}  // namespace vtl
