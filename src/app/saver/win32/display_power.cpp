#include "app/saver/win32/display_power.h"

#include <cstring>

namespace vtl::win32 {
namespace {

// Defined here rather than taken from the SDK's GUID library, so nothing links to it.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

using RegisterFn = void*(WINAPI*)(HANDLE recipient, const GUID* setting, DWORD flags);
using UnregisterFn = BOOL(WINAPI*)(void* handle);

// Windows before Vista has neither call: both are looked up, never imported, so the
// saver still starts there.
FARPROC User32Entry(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

bool HasConsoleDisplayState() {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 2;  // Windows 8
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

}  // namespace

bool DisplayPowerNotices::Register(HWND window) {
    Unregister();
    const auto registerFn =
        reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(User32Entry("RegisterPowerSettingNotification")));
    if (!registerFn) return false;
    const GUID& setting = HasConsoleDisplayState() ? kConsoleDisplayState : kMonitorPowerOn;
    handle_ = registerFn(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
    return handle_ != nullptr;
}

void DisplayPowerNotices::Unregister() {
    if (!handle_) return;
    const auto unregisterFn =
        reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(User32Entry("UnregisterPowerSettingNotification")));
    if (unregisterFn) unregisterFn(handle_);
    handle_ = nullptr;
}

std::optional<DisplayPower> DisplayStateOf(WPARAM event, LPARAM data) {
    if (event != PBT_POWERSETTINGCHANGE || data == 0) return std::nullopt;
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
    if (setting->DataLength < sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, setting->Data, sizeof value);
    const bool console = IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) != FALSE;
    if (!console && IsEqualGUID(setting->PowerSetting, kMonitorPowerOn) == FALSE) return std::nullopt;
    // Both settings say 0 for off and 1 for on; only the console state has 2, dimmed.
    switch (value) {
        case 0: return DisplayPower::Off;
        case 2: return console ? DisplayPower::Dimmed : DisplayPower::On;
        default: return DisplayPower::On;
    }
}

PowerSource ReadPowerSource() {
    SYSTEM_POWER_STATUS status{};
    if (!GetSystemPowerStatus(&status)) return {};
    PowerSource source;
    source.onBattery = status.ACLineStatus == 0;
    source.batteryPercent = status.BatteryLifePercent <= 100 ? status.BatteryLifePercent : -1;
    return source;
}

}  // namespace vtl::win32
