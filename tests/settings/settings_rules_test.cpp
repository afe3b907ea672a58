// The settings' defaults and ranges pinned by value, and the rules of the dialog and
// of the hack held to the table: every setting each should handle, within its range.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/hack/hack_options.h"
#include "settings/memory_store.h"
#include "settings/settingsform_logic.h"
#include "settings/settingsstore.h"

namespace vtl {
namespace {

TEST(SettingsPinned, EverySettingHasTheseDefaultsRangesControlsAndOptions) {
    constexpr auto Int = SettingKind::Integer;
    constexpr auto Bool = SettingKind::Boolean;
    const struct {
        const SettingDef* setting;
        const char* name;
        SettingKind kind;
        std::int32_t defaultValue, low, high;
        const char* control;
        const char* option;
    } rows[] = {
        // In the order the dialog loads and writes them.
        {&kSpeed, "Speed", Int, 6, 1, 11, "trbRotationSpeed", "speed"},
        {&kTimingFPS, "TimingFPS", Int, 50, 10, 1000, "seTiming", "timing-fps"},
        {&kShowFPS, "ShowFPS", Bool, 0, 0, 1, "cbxShowRealFPS", "show-fps"},
        {&kShowActivityTime, "ShowActivityTime", Bool, 0, 0, 1, "cbxShowActivityTime", "show-activity-time"},
        {&kEnableSounds, "EnableSounds", Bool, 1, 0, 1, "cbxEnableSounds", "sounds"},
        {&kShowGlasses, "ShowGlasses", Bool, 1, 0, 1, "cbxShowGlasses", "glasses"},
        {&kReflectionOnSkull, "ReflectionOnSkull", Bool, 1, 0, 1, "cbxReflectionOnSkull", "reflection-on-skull"},
        {&kReflectionOnGlasses, "ReflectionOnGlasses", Bool, 1, 0, 1, "cbxReflectionOnGlasses",
         "reflection-on-glasses"},
        {&kUseCurrentMode, "UseCurrentMode", Bool, 1, 0, 1, "cbxUseCurrentMode", nullptr},
        {&kVideoMode, "VideoMode", Int, 0, 0, 5, "cbVideoMode", nullptr},
        {&kSceneOnEveryMonitor, "SceneOnEveryMonitor", Bool, 0, 0, 1, nullptr, nullptr},
    };
    ASSERT_EQ(kSettingsTable.size(), std::size(rows));
    MemorySettingsStore empty;
    const SettingsFormState shown = LoadSettingsForm(empty);
    std::vector<std::string> dialogOrder;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const SettingDef& s = *row.setting;
        EXPECT_STREQ(s.name, row.name);
        EXPECT_EQ(s.kind, row.kind);
        EXPECT_EQ(s.defaultValue, row.defaultValue);
        EXPECT_EQ(s.low, row.low);
        EXPECT_EQ(s.high, row.high);
        EXPECT_STREQ(s.controlName, row.control);
        EXPECT_STREQ(s.option, row.option);
        // What every reader and the dialog take from a store that holds nothing.
        EXPECT_EQ(ReadSetting(empty, s), row.defaultValue);
        if (row.control) {
            EXPECT_EQ(shown.Value(s), row.defaultValue);
            dialogOrder.emplace_back(row.name);
        }
    }
    std::vector<std::string> loadedAndWritten;
    for (const SettingDef& s : kAllSettings) loadedAndWritten.emplace_back(s.name);
    EXPECT_EQ(loadedAndWritten, dialogOrder);
}

// A store that lists the values written to it, in order.
class WriteLog : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override {
        return store.OpenKey(root, path);
    }
    std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override {
        return std::make_unique<Key>(store.CreateKey(root, path), names);
    }
    MemorySettingsStore store;
    std::vector<std::string> names;

private:
    class Key : public IRegistryKey {
    public:
        Key(std::unique_ptr<IRegistryKey> inner, std::vector<std::string>& names)
            : inner_(std::move(inner)), names_(names) {}
        ValueKind KindOf(const std::string& name) override { return inner_->KindOf(name); }
        std::optional<std::uint32_t> ReadDword(const std::string& name) override { return inner_->ReadDword(name); }
        std::optional<std::string> ReadString(const std::string& name) override { return inner_->ReadString(name); }
        bool WriteDword(const std::string& name, std::uint32_t value) override {
            names_.push_back(name);
            return inner_->WriteDword(name, value);
        }

    private:
        std::unique_ptr<IRegistryKey> inner_;
        std::vector<std::string>& names_;
    };
};

TEST(SettingsRules, TheDialogShowsEachStoredValueWithinItsSettingsRange) {
    for (const SettingDef& s : kAllSettings) {
        SCOPED_TRACE(s.name);
        const bool list = s.control == DialogControl::DropDownList;
        const std::pair<std::int32_t, std::int32_t> pulled[] = {{s.low - 1, list ? kNoVideoMode : s.low},
                                                                {s.low, s.low},
                                                                {s.high, s.high},
                                                                {s.high + 1, list ? kNoVideoMode : s.high}};
        const std::pair<std::int32_t, std::int32_t> boxes[] = {{0, 0}, {1, 1}, {2, 1}, {256, 0}, {0x101, 1}};
        const bool box = s.control == DialogControl::CheckBox;
        for (const auto& [stored, shown] : box ? std::vector(std::begin(boxes), std::end(boxes))
                                               : std::vector(std::begin(pulled), std::end(pulled))) {
            MemorySettingsStore store;
            WriteSettingInt(store, kSettingsKey, s.name, stored);
            EXPECT_EQ(LoadSettingsForm(store).Value(s), shown) << "stored " << stored;
        }
    }
}

TEST(SettingsRules, OkWritesEachSettingOfTheDialogOnceInOrderAsItsControlHoldsIt) {
    SettingsFormState state;
    for (const SettingDef& s : kAllSettings) state.Set(s, s.high + 1);
    WriteLog log;
    ASSERT_TRUE(SettingsFormOk(log, state, std::to_string(kTimingFPS.high + 1)).close);
    std::vector<std::string> expected;
    for (const SettingDef& s : kAllSettings) expected.emplace_back(s.name);
    EXPECT_EQ(log.names, expected);
    for (const SettingDef& s : kAllSettings) {
        const std::int32_t written = s.control == DialogControl::CheckBox       ? 1
                                     : s.control == DialogControl::DropDownList ? kNoVideoMode
                                                                                : s.high;
        EXPECT_EQ(ReadSetting(log.store, s), written) << s.name;
    }
}

TEST(SettingsRules, TheHackTakesEachOfItsSettingsWithinItsRange) {
    for (const SettingDef& s : kSettingsTable) {
        if (!s.option) continue;
        for (const char* name : {s.option, s.optionAlias}) {
            if (!name) continue;
            SCOPED_TRACE(name);
            const std::string option = std::string("-") + name;
            std::vector<std::pair<std::vector<std::string>, std::int32_t>> cases;
            if (s.kind == SettingKind::Integer) {
                for (const auto& [given, taken] :
                     {std::pair{s.low - 1, s.low}, {s.low, s.low}, {s.high, s.high}, {s.high + 1, s.high}})
                    cases.push_back({{option, std::to_string(given)}, taken});
            } else {
                cases = {{{option}, 1}, {{"-no-" + std::string(name)}, 0}, {{"-" + option}, 1}};
            }
            for (const auto& [args, taken] : cases) {
                const auto parsed = ParseHackOptions(args, nullptr);
                ASSERT_TRUE(parsed.options) << args.back() << ": " << parsed.error;
                MemorySettingsStore store;
                StoreHackSettings(*parsed.options, store);
                EXPECT_EQ(ReadSetting(store, s), taken) << args.back();
                const bool pulled = s.kind == SettingKind::Integer && std::stoi(args.back()) != taken;
                EXPECT_EQ(parsed.options->warnings.size(), pulled ? 1u : 0u) << args.back();
            }
        }
    }
}

}  // namespace
}  // namespace vtl
