#pragma once
// What Windows says about the monitor and the power supply, for the saver's
// DisplayWatch: display-state notifications (registered where the system has them)
// and the battery's charge.
#include <windows.h>

#include <optional>

#include "app/common/display_watch.h"

namespace vtl::win32 {

class DisplayPowerNotices {
public:
    DisplayPowerNotices() = default;
    ~DisplayPowerNotices() { Unregister(); }
    DisplayPowerNotices(const DisplayPowerNotices&) = delete;
    DisplayPowerNotices& operator=(const DisplayPowerNotices&) = delete;

    // Asks for WM_POWERBROADCAST notices of the display's state to `window`: the console
    // display state where Windows has it (8 and later, with its dimmed state), else the
    // monitor's power. False where the system has no such notices (the saver then draws
    // as if the monitor were always on). Windows sends the current state at once.
    bool Register(HWND window);
    void Unregister();
    bool Registered() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;  // HPOWERNOTIFY
};

// The display state a WM_POWERBROADCAST carries; none for any other notice, and for a
// setting block that is not one of the two display settings or is too short to hold one.
std::optional<DisplayPower> DisplayStateOf(WPARAM event, LPARAM data);

// Whether a WM_POWERBROADCAST says the power supply changed (mains, battery, charge).
inline bool PowerSourceChanged(WPARAM event) { return event == PBT_APMPOWERSTATUSCHANGE; }

// The power supply now; an unknown one reads as mains.
PowerSource ReadPowerSource();

}  // namespace vtl::win32
