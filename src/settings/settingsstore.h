#pragma once
// The user settings: integer values under one key of the current user, read fresh by
// every reader with the table's defaults and written only by the dialog's OK.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "settings/settings_table.h"

namespace vtl {

// Never fails: a missing key or value, a value of another type or a refused read
// gives `defaultValue`.
std::int32_t ReadSettingInt(IRegistry& registry, const std::string& key, const std::string& name,
                            std::int32_t defaultValue);
// Creates the key and its parents as needed; throws ERegistryException
// "Failed to set data for '<name>'" when the key cannot be opened or the write fails.
void WriteSettingInt(IRegistry& registry, const std::string& key, const std::string& name, std::int32_t value);

// Shorthands over the settings key with the table's default.
std::int32_t ReadSetting(IRegistry& registry, const SettingDef& setting);
// A Boolean is on when the low 8 bits are not zero (2 is on, 256 is off).
bool ReadSettingBool(IRegistry& registry, const SettingDef& setting);
inline bool IsOn(std::int32_t value) { return (value & 0xFF) != 0; }

// Nothing for an index outside the table.
std::optional<VideoMode> GetVideoModeSize(std::int32_t index);

}  // namespace vtl
