#include "settings/settings_table.h"

namespace vtl {

namespace {

using settings_detail::Same;

// Rows that contradict themselves stop the build rather than confuse a reader.
constexpr bool RowIsSound(const SettingDef& row) {
    const bool boolean = row.kind == SettingKind::Boolean;
    const bool inDialog = row.control != DialogControl::RegistryOnly;
    if (row.name == nullptr || row.help == nullptr || row.low > row.high) return false;
    if (row.defaultValue < row.low || row.defaultValue > row.high) return false;
    if (boolean && (row.low != 0 || row.high != 1)) return false;
    // A check box shows exactly the Booleans the dialog has.
    if (inDialog && boolean != (row.control == DialogControl::CheckBox)) return false;
    if (inDialog != (row.controlName != nullptr) || inDialog != (row.caption != nullptr)) return false;
    return row.option != nullptr || row.optionAlias == nullptr;
}

constexpr bool TableIsSound() {
    for (std::size_t i = 0; i < kSettingsTable.size(); ++i) {
        const SettingDef& a = kSettingsTable[i];
        if (!RowIsSound(a)) return false;
        for (std::size_t j = i + 1; j < kSettingsTable.size(); ++j) {
            const SettingDef& b = kSettingsTable[j];
            if (Same(a.name, b.name)) return false;
            if (a.controlName && Same(a.controlName, b.controlName)) return false;
            for (const char* mine : {a.option, a.optionAlias})
                if (mine && (Same(mine, b.option) || Same(mine, b.optionAlias))) return false;
        }
    }
    return true;
}

static_assert(TableIsSound(), "a settings row contradicts itself or repeats another's name");

}  // namespace

const SettingDef* FindSetting(const char* name) {
    for (const SettingDef& row : kSettingsTable)
        if (Same(row.name, name)) return &row;
    return nullptr;
}

const SettingDef* FindSettingByOption(const char* option) {
    if (option == nullptr) return nullptr;
    for (const SettingDef& row : kSettingsTable)
        if ((row.option && Same(row.option, option)) || (row.optionAlias && Same(row.optionAlias, option))) return &row;
    return nullptr;
}

const SettingDef* FindSettingByControl(const char* controlName) {
    if (controlName == nullptr) return nullptr;
    for (const SettingDef& row : kSettingsTable)
        if (row.controlName && Same(row.controlName, controlName)) return &row;
    return nullptr;
}

std::size_t DialogIndex(const SettingDef& setting) {
    for (std::size_t i = 0; i < kAllSettings.size(); ++i)
        if (Same(kAllSettings[i].name, setting.name)) return i;
    return kAllSettings.size();
}

}  // namespace vtl
