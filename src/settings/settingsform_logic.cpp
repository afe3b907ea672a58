#include "settings/settingsform_logic.h"

#include <algorithm>
#include <cctype>

#include "platform/errors.h"
#include "settings/settingsstore.h"

namespace vtl {

bool SettingsFormState::operator==(const SettingsFormState& o) const {
    return rotationSpeed == o.rotationSpeed && timing == o.timing && showRealFPS == o.showRealFPS &&
           showActivityTime == o.showActivityTime && enableSounds == o.enableSounds &&
           showGlasses == o.showGlasses && reflectionOnSkull == o.reflectionOnSkull &&
           reflectionOnGlasses == o.reflectionOnGlasses && useCurrentMode == o.useCurrentMode &&
           videoMode == o.videoMode;
}

SettingsFormState LoadSettingsForm(IRegistry& registry) {
    SettingsFormState s;
    s.rotationSpeed = std::clamp(ReadSetting(registry, kSpeed), kMinRotationSpeed, kMaxRotationSpeed);
    s.timing = std::clamp(ReadSetting(registry, kTimingFPS), kMinTimingFPS, kMaxTimingFPS);
    s.showRealFPS = ReadSettingBool(registry, kShowFPS);
    s.showActivityTime = ReadSettingBool(registry, kShowActivityTime);
    s.enableSounds = ReadSettingBool(registry, kEnableSounds);
    s.showGlasses = ReadSettingBool(registry, kShowGlasses);
    s.reflectionOnSkull = ReadSettingBool(registry, kReflectionOnSkull);
    s.reflectionOnGlasses = ReadSettingBool(registry, kReflectionOnGlasses);
    s.useCurrentMode = ReadSettingBool(registry, kUseCurrentMode);
    const auto mode = ReadSetting(registry, kVideoMode);
    s.videoMode = GetVideoModeSize(mode) ? mode : kNoVideoMode;
    return s;
}

void StoreSettingsForm(IRegistry& registry, const SettingsFormState& s) {
    // The same order as kAllSettings; spelled out so each value's source is visible.
    const std::int32_t values[] = {
        s.rotationSpeed,         s.timing,           s.showRealFPS ? 1 : 0,       s.showActivityTime ? 1 : 0,
        s.enableSounds ? 1 : 0,  s.showGlasses ? 1 : 0, s.reflectionOnSkull ? 1 : 0,
        s.reflectionOnGlasses ? 1 : 0, s.useCurrentMode ? 1 : 0, s.videoMode};
    static_assert(sizeof values / sizeof values[0] == kAllSettings.size());
    for (std::size_t i = 0; i < kAllSettings.size(); ++i)
        WriteSettingInt(registry, kSettingsKey, kAllSettings[i].name, values[i]);
}

int TimingFromText(const std::string& text) {
    std::size_t at = 0;
    const auto blank = [&](std::size_t i) { return std::isspace(static_cast<unsigned char>(text[i])) != 0; };
    while (at < text.size() && blank(at)) ++at;
    std::size_t end = text.size();
    while (end > at && blank(end - 1)) --end;
    bool negative = false;
    if (at < end && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at == end) return kMinTimingFPS;
    long long value = 0;
    for (; at < end; ++at) {
        const char c = text[at];
        if (c < '0' || c > '9') return kMinTimingFPS;
        // Past the upper bound every further digit only moves it further out.
        if (value <= kMaxTimingFPS) value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, kMinTimingFPS, kMaxTimingFPS));
}

int StepTiming(const std::string& text, int delta) {
    const long long stepped = static_cast<long long>(TimingFromText(text)) + delta;
    return static_cast<int>(std::clamp<long long>(stepped, kMinTimingFPS, kMaxTimingFPS));
}

OkOutcome SettingsFormOk(IRegistry& registry, SettingsFormState state, const std::string& timingText) {
    // Enter reaches OK without the field losing the focus, so the text is read here.
    state.timing = TimingFromText(timingText);
    state.rotationSpeed = std::clamp(state.rotationSpeed, kMinRotationSpeed, kMaxRotationSpeed);
    if (!GetVideoModeSize(state.videoMode)) state.videoMode = kNoVideoMode;
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
