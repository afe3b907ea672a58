#pragma once
// The settings dialog's decisions, kept apart from its window so they can be tested
// without one: what the controls show for the stored values, how the timing field's
// text becomes a number, what OK writes and in which order, and what the user is told
// when a write fails. The window code only moves these values in and out of controls.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/registry.h"
#include "settings/settings_table.h"

namespace vtl {

inline constexpr int kNoVideoMode = -1;  // the mode list has no selection
inline constexpr int kSettingsHelpContext = 10;

inline constexpr const char* kSettingsFormCaption = "Vantorel 3D Screensaver Settings";
inline constexpr const char* kHelpFileName = "vtl3d.chm";
inline constexpr const char* kHelpStartPage = "::/index.html";
inline constexpr const char* kWebShortcutName = "Site.url";

// What the dialog's controls hold: one number for each setting the dialog shows, in
// the setting's own terms (a position or a value, 1 or 0 for a check box, the list's
// selected index or kNoVideoMode). Asking for a setting the dialog does not show is a
// programming error and throws std::out_of_range.
class SettingsFormState {
public:
    // Every control at its setting's default: what a never-confirmed dialog shows.
    SettingsFormState();

    std::int32_t Value(const SettingDef& setting) const;
    bool Checked(const SettingDef& setting) const { return Value(setting) != 0; }
    void Set(const SettingDef& setting, std::int32_t value);
    void SetChecked(const SettingDef& setting, bool checked) { Set(setting, checked ? 1 : 0); }

    bool operator==(const SettingsFormState& other) const { return values_ == other.values_; }
    bool operator!=(const SettingsFormState& other) const { return !(*this == other); }

private:
    std::array<std::int32_t, kAllSettings.size()> values_{};
};

// What a setting's control shows for a stored value: pulled into the range by a
// track bar or spin edit, 1 or 0 by a check box, no selection (kNoVideoMode) by the
// list for an index outside it.
std::int32_t ShownValue(const SettingDef& setting, std::int32_t stored);

// The form as it is designed, before the settings are loaded into it (and so what it
// keeps if loading them fails): the track bar, the timing field and the list at their
// settings' defaults, every check box clear except "Use current mode", which is
// checked to agree with the list it leaves disabled. Not the defaults.
SettingsFormState FormDesignState();

// The controls as the stored settings (or their defaults) leave them, each read in the
// dialog's order and shown as ShownValue says.
SettingsFormState LoadSettingsForm(IRegistry& registry);

// Writes every setting the dialog shows, in its fixed order, each as its control can
// hold it. A refused write throws ERegistryException; the values before it stay
// written and the rest are not made.
void StoreSettingsForm(IRegistry& registry, const SettingsFormState& state);

// The mode list is only of use when the current display mode is not kept.
inline bool VideoModeListEnabled(bool useCurrentMode) { return !useCurrentMode; }

// A spin edit's value for its text: a whole number pulled into its setting's range;
// anything that is not a whole number counts as the lowest.
std::int32_t SpinEditValue(const SettingDef& setting, const std::string& text);
// The timing field's, 10 to 1000.
int TimingFromText(const std::string& text);
// One up or down step from the field's current text, kept within the range.
int StepTiming(const std::string& text, int delta);

// What OK does: store everything and close, or keep the dialog open with a message
// for the user. Closing is only decided here; the window code carries it out.
struct OkOutcome {
    bool close = false;
    std::string errorText;  // shown with a stop icon when the dialog stays open
};
OkOutcome SettingsFormOk(IRegistry& registry, SettingsFormState state, const std::string& timingText);

// The text an error shows in the dialog's message box: its message, with a full stop
// added only when the last character sorts after '.'.
std::string DialogErrorText(const std::string& message);

// "<folder>\vtl3d.chm::/index.html": the help start page, whatever context was asked.
std::string HelpTopicPath(const std::string& installFolder);

// The web shortcut beside the installed program, else beside the running program.
std::string WebShortcutPath(const std::string& installFolder, const std::string& programFolder,
                            const std::function<bool(const std::string&)>& fileExists);

}  // namespace vtl
