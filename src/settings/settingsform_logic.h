#pragma once
// The settings dialog's decisions, kept apart from its window so they can be tested
// without one: what the controls show for the stored values, how the timing field's
// text becomes a number, what OK writes and in which order, and what the user is told
// when a write fails. The window code only moves these values in and out of controls.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/registry.h"

namespace vtl {

inline constexpr int kMinRotationSpeed = 1;
inline constexpr int kMaxRotationSpeed = 11;
inline constexpr int kMinTimingFPS = 10;
inline constexpr int kMaxTimingFPS = 1000;
inline constexpr int kNoVideoMode = -1;  // the mode list has no selection
inline constexpr int kSettingsHelpContext = 10;

inline constexpr const char* kSettingsFormCaption = "Vantorel 3D Screensaver Settings";
inline constexpr const char* kHelpFileName = "vtl3d.chm";
inline constexpr const char* kHelpStartPage = "::/index.html";
inline constexpr const char* kWebShortcutName = "Site.url";

// One field per control of the dialog.
struct SettingsFormState {
    int rotationSpeed = 6;  // trbRotationSpeed, 1 to 11
    int timing = 50;        // seTiming, 10 to 1000
    bool showRealFPS = false;
    bool showActivityTime = false;
    bool enableSounds = false;
    bool showGlasses = false;
    bool reflectionOnSkull = false;
    bool reflectionOnGlasses = false;
    bool useCurrentMode = true;
    int videoMode = 0;  // cbVideoMode's selected index, kNoVideoMode for none

    bool operator==(const SettingsFormState& other) const;
};

// The controls as the stored settings (or their defaults) leave them; values the
// controls cannot show are pulled to the nearest end, and a video mode outside the
// table leaves the list without a selection.
SettingsFormState LoadSettingsForm(IRegistry& registry);

// Writes the ten values in the fixed order. A refused write throws
// ERegistryException; the values before it stay written and the rest are not made.
void StoreSettingsForm(IRegistry& registry, const SettingsFormState& state);

// The mode list is only of use when the current display mode is not kept.
inline bool VideoModeListEnabled(bool useCurrentMode) { return !useCurrentMode; }

// The timing field's value for its text: a whole number pulled into 10 to 1000;
// anything that is not a whole number counts as 10.
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
