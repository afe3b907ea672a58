#pragma once
// Every setting once: its registry value, kind, default, the range the dialog writes,
// the dialog control that shows it, the Linux hack's option and a line of help. The
// store's defaults, the dialog's load and store rules and the hack's options and
// -help are derived from these rows; the hack's option file, its man page and the
// help file are hand-written and checked against them by the tests labelled
// `settings`. A new setting is a new row here.
#include <array>
#include <cstddef>
#include <cstdint>

namespace vtl {

inline constexpr const char* kSettingsKey = "Software\\Vantorel3D";

struct VideoMode {
    int width;
    int height;
    int bitsPerPixel;
    const char* text;  // the dialog's item text
};

// The full-screen modes `VideoMode` selects; its value is the item index of the
// dialog's list.
inline constexpr std::array<VideoMode, 6> VideoModeTable{{
    {640, 480, 16, "640x480x16bit"},
    {640, 480, 32, "640x480x32bit"},
    {800, 600, 16, "800x600x16bit"},
    {800, 600, 32, "800x600x32bit"},
    {1024, 768, 16, "1024x768x16bit"},
    {1024, 768, 32, "1024x768x32bit"},
}};

enum class SettingKind : std::uint8_t {
    Integer,
    Boolean,  // written as 0 or 1; on when the low 8 bits of the value are not zero
};

// The control that shows a setting in the dialog. It also decides what becomes of a
// stored value the control cannot show.
enum class DialogControl : std::uint8_t {
    RegistryOnly,  // not in the dialog: nothing but the registry changes it
    TrackBar,      // pulled to the nearer end of the range
    SpinEdit,      // pulled to the nearer end of the range
    CheckBox,      // checked when on
    DropDownList,  // left without a selection
};

struct SettingDef {
    const char* name;  // the registry value
    SettingKind kind;
    std::int32_t defaultValue;  // what every reader takes when the value is missing
    std::int32_t low, high;     // what the dialog writes (a list without a selection aside)
    DialogControl control;
    const char* controlName;  // the dialog's name for its control; nullptr when it has none
    // The words the dialog shows for it: a check box's own caption, else the label or
    // group that names the control. The help file explains the setting under them.
    const char* caption;
    const char* option;       // the hack's option without its dash; nullptr: the hack has none
    const char* optionAlias;  // a second name of that option, or nullptr
    const char* help;         // one line, as -help prints it
};

inline constexpr std::int32_t kLastVideoMode = static_cast<std::int32_t>(VideoModeTable.size()) - 1;

// In the order the dialog loads and writes them; registry-only values last. The display
// mode is never changed on Linux, so its two settings have no option there.
inline constexpr std::array<SettingDef, 11> kSettingsTable{{
    // name, kind, default, low, high, control, control name, caption, option, alias, help
    {"Speed", SettingKind::Integer, 6, 1, 11, DialogControl::TrackBar, "trbRotationSpeed", "Rotation speed", "speed",
     nullptr, "rotation speed"},
    {"TimingFPS", SettingKind::Integer, 50, 10, 1000, DialogControl::SpinEdit, "seTiming", "Timing (fps)", "timing-fps",
     nullptr, "frames per second aimed at"},
    {"ShowFPS", SettingKind::Boolean, 0, 0, 1, DialogControl::CheckBox, "cbxShowRealFPS", "Show real fps rate",
     "show-fps", "fps", "the measured frame rate in a corner"},
    // The trailing blank of this caption is the dialog's own.
    {"ShowActivityTime", SettingKind::Boolean, 0, 0, 1, DialogControl::CheckBox, "cbxShowActivityTime",
     "Show activity time ", "show-activity-time", nullptr, "how long the saver has run"},
    {"EnableSounds", SettingKind::Boolean, 1, 0, 1, DialogControl::CheckBox, "cbxEnableSounds", "Enable sounds",
     "sounds", nullptr, "the city soundscape"},
    {"ShowGlasses", SettingKind::Boolean, 1, 0, 1, DialogControl::CheckBox, "cbxShowGlasses", "Show glasses", "glasses",
     nullptr, "sunglasses on the skull"},
    {"ReflectionOnSkull", SettingKind::Boolean, 1, 0, 1, DialogControl::CheckBox, "cbxReflectionOnSkull",
     "Reflection on skull", "reflection-on-skull", nullptr, "environment reflection on the bone"},
    {"ReflectionOnGlasses", SettingKind::Boolean, 1, 0, 1, DialogControl::CheckBox, "cbxReflectionOnGlasses",
     "Reflection on glasses", "reflection-on-glasses", nullptr, "environment reflection on the lenses"},
    {"UseCurrentMode", SettingKind::Boolean, 1, 0, 1, DialogControl::CheckBox, "cbxUseCurrentMode", "Use current mode",
     nullptr, nullptr, "keep the display mode the desktop has"},
    {"VideoMode", SettingKind::Integer, 0, 0, kLastVideoMode, DialogControl::DropDownList, "cbVideoMode", "Video mode",
     nullptr, nullptr, "the display mode to switch to when the current one is not kept"},
    // For a desk of several monitors whose others should show the scene rather than black.
    {"SceneOnEveryMonitor", SettingKind::Boolean, 0, 0, 1, DialogControl::RegistryOnly, nullptr, nullptr, nullptr,
     nullptr, "the scene on every monitor, not only the primary one"},
}};

namespace settings_detail {

constexpr bool Same(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return a == b;
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

// A name not in the table stops the build where the constant is defined.
constexpr const SettingDef& Named(const char* name) {
    for (const SettingDef& row : kSettingsTable)
        if (Same(row.name, name)) return row;
    throw "no setting of that name";
}

constexpr std::size_t CountInDialog() {
    std::size_t count = 0;
    for (const SettingDef& row : kSettingsTable) count += row.control != DialogControl::RegistryOnly ? 1 : 0;
    return count;
}

}  // namespace settings_detail

// The rows by name, for the readers.
inline constexpr const SettingDef& kSpeed = settings_detail::Named("Speed");
inline constexpr const SettingDef& kTimingFPS = settings_detail::Named("TimingFPS");
inline constexpr const SettingDef& kShowFPS = settings_detail::Named("ShowFPS");
inline constexpr const SettingDef& kShowActivityTime = settings_detail::Named("ShowActivityTime");
inline constexpr const SettingDef& kEnableSounds = settings_detail::Named("EnableSounds");
inline constexpr const SettingDef& kShowGlasses = settings_detail::Named("ShowGlasses");
inline constexpr const SettingDef& kReflectionOnSkull = settings_detail::Named("ReflectionOnSkull");
inline constexpr const SettingDef& kReflectionOnGlasses = settings_detail::Named("ReflectionOnGlasses");
inline constexpr const SettingDef& kUseCurrentMode = settings_detail::Named("UseCurrentMode");
inline constexpr const SettingDef& kVideoMode = settings_detail::Named("VideoMode");
inline constexpr const SettingDef& kSceneOnEveryMonitor = settings_detail::Named("SceneOnEveryMonitor");

// The settings the dialog shows, in the order it loads and writes them.
inline constexpr auto kAllSettings = [] {
    std::array<SettingDef, settings_detail::CountInDialog()> shown{};
    std::size_t at = 0;
    for (const SettingDef& row : kSettingsTable)
        if (row.control != DialogControl::RegistryOnly) shown[at++] = row;
    return shown;
}();

// The row of a registry value, an option (or its alias) of the hack, or a dialog
// control; nullptr when none has it.
const SettingDef* FindSetting(const char* name);
const SettingDef* FindSettingByOption(const char* option);
const SettingDef* FindSettingByControl(const char* controlName);

// The setting's place in kAllSettings; kAllSettings.size() when the dialog does not show it.
std::size_t DialogIndex(const SettingDef& setting);

}  // namespace vtl
