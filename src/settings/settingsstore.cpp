#include "settings/settingsstore.h"

#include "platform/errors.h"

namespace vtl {

std::int32_t ReadSettingInt(IRegistry& registry, const std::string& key, const std::string& name,
                            std::int32_t defaultValue) {
    auto opened = registry.OpenKey(RegistryRoot::CurrentUser, key);
    if (!opened) return defaultValue;
    const auto value = opened->ReadDword(name);
    return value ? static_cast<std::int32_t>(*value) : defaultValue;
}

void WriteSettingInt(IRegistry& registry, const std::string& key, const std::string& name, std::int32_t value) {
    auto opened = registry.CreateKey(RegistryRoot::CurrentUser, key);
    if (!opened || !opened->WriteDword(name, static_cast<std::uint32_t>(value)))
        throw ERegistryException(FormatMessage1("Failed to set data for '%s'", name));
}

std::int32_t ReadSetting(IRegistry& registry, const SettingDef& setting) {
    return ReadSettingInt(registry, kSettingsKey, setting.name, setting.defaultValue);
}

bool ReadSettingBool(IRegistry& registry, const SettingDef& setting) { return IsOn(ReadSetting(registry, setting)); }

std::optional<VideoMode> GetVideoModeSize(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(VideoModeTable.size())) return std::nullopt;
    return VideoModeTable[static_cast<std::size_t>(index)];
}

}  // namespace vtl
