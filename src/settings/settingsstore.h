#pragma once
// The ten user settings: integer values under one key of the current user, read
// fresh by every reader with its own defaults and written only by the dialog's OK.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace vtl {

inline constexpr const char* kSettingsKey = "Software\\Vantorel3D";

struct SettingDef {
    const char* name;
    std::int32_t defaultValue;
};

inline constexpr SettingDef kSpeed{"Speed", 6};
inline constexpr SettingDef kTimingFPS{"TimingFPS", 50};
inline constexpr SettingDef kShowFPS{"ShowFPS", 0};
inline constexpr SettingDef kShowActivityTime{"ShowActivityTime", 0};
inline constexpr SettingDef kEnableSounds{"EnableSounds", 1};
inline constexpr SettingDef kShowGlasses{"ShowGlasses", 1};
inline constexpr SettingDef kReflectionOnSkull{"ReflectionOnSkull", 1};
inline constexpr SettingDef kReflectionOnGlasses{"ReflectionOnGlasses", 1};
inline constexpr SettingDef kUseCurrentMode{"UseCurrentMode", 1};
inline constexpr SettingDef kVideoMode{"VideoMode", 0};

// Not one of the dialog's ten: a registry value alone, for a desk of several monitors
// whose others should show the scene rather than black.
inline constexpr SettingDef kSceneOnEveryMonitor{"SceneOnEveryMonitor", 0};

// The order in which the dialog writes them.
inline constexpr std::array<SettingDef, 10> kAllSettings{
    kSpeed, kTimingFPS, kShowFPS, kShowActivityTime, kEnableSounds,
    kShowGlasses, kReflectionOnSkull, kReflectionOnGlasses, kUseCurrentMode, kVideoMode};

// Never fails: a missing key or value, a value of another type or a refused read
// gives `defaultValue`.
std::int32_t ReadSettingInt(IRegistry& registry, const std::string& key, const std::string& name,
                            std::int32_t defaultValue);
// Creates the key and its parents as needed; throws ERegistryException
// "Failed to set data for '<name>'" when the key cannot be opened or the write fails.
void WriteSettingInt(IRegistry& registry, const std::string& key, const std::string& name,
                     std::int32_t value);

// Shorthands over the settings key with the table's default.
std::int32_t ReadSetting(IRegistry& registry, const SettingDef& setting);
// A Boolean is on when the low 8 bits are not zero (2 is on, 256 is off).
bool ReadSettingBool(IRegistry& registry, const SettingDef& setting);
inline bool IsOn(std::int32_t value) { return (value & 0xFF) != 0; }

struct VideoMode {
    int width;
    int height;
    int bitsPerPixel;
    const char* text;  // the dialog's item text
};

inline constexpr std::array<VideoMode, 6> VideoModeTable{{
    {640, 480, 16, "640x480x16bit"},
    {640, 480, 32, "640x480x32bit"},
    {800, 600, 16, "800x600x16bit"},
    {800, 600, 32, "800x600x32bit"},
    {1024, 768, 16, "1024x768x16bit"},
    {1024, 768, 32, "1024x768x32bit"},
}};

// Nothing for an index outside the table.
std::optional<VideoMode> GetVideoModeSize(std::int32_t index);

}  // namespace vtl
