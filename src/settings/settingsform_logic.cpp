#include "settings/settingsform_logic.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/errors.h"
#include "settings/settingsstore.h"

namespace vtl {

namespace {

std::size_t Slot(const SettingDef& setting) {
    const std::size_t at = DialogIndex(setting);
    if (at == kAllSettings.size())
        throw std::out_of_range(std::string("the settings dialog does not show ") + setting.name);
    return at;
}

}  // namespace

SettingsFormState::SettingsFormState() {
    for (std::size_t i = 0; i < kAllSettings.size(); ++i) values_[i] = kAllSettings[i].defaultValue;
}

std::int32_t SettingsFormState::Value(const SettingDef& setting) const { return values_[Slot(setting)]; }

void SettingsFormState::Set(const SettingDef& setting, std::int32_t value) { values_[Slot(setting)] = value; }

std::int32_t ShownValue(const SettingDef& setting, std::int32_t stored) {
    switch (setting.control) {
        case DialogControl::TrackBar:
        case DialogControl::SpinEdit: return std::clamp(stored, setting.low, setting.high);
        case DialogControl::CheckBox: return IsOn(stored) ? 1 : 0;
        case DialogControl::DropDownList:
            return stored >= setting.low && stored <= setting.high ? stored : kNoVideoMode;
        case DialogControl::RegistryOnly: break;
    }
    return stored;
}

SettingsFormState FormDesignState() {
    SettingsFormState design;
    for (const SettingDef& setting : kAllSettings)
        if (setting.control == DialogControl::CheckBox) design.SetChecked(setting, false);
    design.SetChecked(kUseCurrentMode, true);
    return design;
}

SettingsFormState LoadSettingsForm(IRegistry& registry) {
    SettingsFormState state;
    for (const SettingDef& setting : kAllSettings)
        state.Set(setting, ShownValue(setting, ReadSetting(registry, setting)));
    return state;
}

void StoreSettingsForm(IRegistry& registry, const SettingsFormState& state) {
    for (const SettingDef& setting : kAllSettings)
        WriteSettingInt(registry, kSettingsKey, setting.name, ShownValue(setting, state.Value(setting)));
}

std::int32_t SpinEditValue(const SettingDef& setting, const std::string& text) {
    std::size_t at = 0;
    const auto blank = [&](std::size_t i) { return std::isspace(static_cast<unsigned char>(text[i])) != 0; };
    while (at < text.size() && blank(at)) ++at;
    std::size_t end = text.size();
    while (end > at && blank(end - 1)) --end;
    bool negative = false;
    if (at < end && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::int32_t low = setting.low, high = setting.high;
    if (at == end) return low;
    long long value = 0;
    for (; at < end; ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return low;
        // Past the upper bound every further digit only moves it further out.
        if (value <= high) value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<long long>(value, low, high));
}

int TimingFromText(const std::string& text) { return SpinEditValue(kTimingFPS, text); }

int StepTiming(const std::string& text, int delta) {
    const long long stepped = static_cast<long long>(TimingFromText(text)) + delta;
    return static_cast<int>(std::clamp<long long>(stepped, kTimingFPS.low, kTimingFPS.high));
}

OkOutcome SettingsFormOk(IRegistry& registry, SettingsFormState state, const std::string& timingText) {
    // Enter reaches OK without the field losing the focus, so the text is read here.
    state.Set(kTimingFPS, TimingFromText(timingText));
    try {
        StoreSettingsForm(registry, state);
    } catch (const std::exception& e) {
        return {false, DialogErrorText(e.what())};
    }
    return {true, {}};
}

std::string DialogErrorText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

namespace {

// A drive root such as "D:\" already ends with the separator.
std::string InFolder(const std::string& folder, const char* file) {
    if (!folder.empty() && folder.back() == '\\') return folder + file;
    return folder + "\\" + file;
}

}  // namespace

std::string HelpTopicPath(const std::string& installFolder) {
    return InFolder(installFolder, kHelpFileName) + kHelpStartPage;
}

std::string WebShortcutPath(const std::string& installFolder, const std::string& programFolder,
                            const std::function<bool(const std::string&)>& fileExists) {
    const std::string installed = InFolder(installFolder, kWebShortcutName);
    return fileExists(installed) ? installed : InFolder(programFolder, kWebShortcutName);
}

}  // namespace vtl
