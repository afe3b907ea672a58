#include "app/saver/win32/display_power.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "win32/message_pump.h"

namespace vtl::win32 {
namespace {

constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
// Another power setting Windows may announce to a window that asked for several.
constexpr GUID kAcDcPowerSource = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};

// A setting block as Windows lays it out: the header, then DataLength bytes.
std::vector<unsigned char> Block(const GUID& setting, DWORD value, DWORD length = sizeof(DWORD)) {
    std::vector<unsigned char> bytes(offsetof(POWERBROADCAST_SETTING, Data) + sizeof(DWORD));
    POWERBROADCAST_SETTING header{};
    header.PowerSetting = setting;
    header.DataLength = length;
    std::memcpy(bytes.data(), &header, offsetof(POWERBROADCAST_SETTING, Data));
    std::memcpy(bytes.data() + offsetof(POWERBROADCAST_SETTING, Data), &value, sizeof value);
    return bytes;
}

LPARAM Data(std::vector<unsigned char>& bytes) { return reinterpret_cast<LPARAM>(bytes.data()); }

TEST(DisplayPowerNotices, BothDisplaySettingsAreReadAndEverythingElseIsNot) {
    struct Case {
        const GUID* setting;
        DWORD value;
        DWORD length;
        std::optional<DisplayPower> expected;
    };
    const Case cases[] = {
        {&kConsoleDisplayState, 0, 4, DisplayPower::Off},
        {&kConsoleDisplayState, 1, 4, DisplayPower::On},
        {&kConsoleDisplayState, 2, 4, DisplayPower::Dimmed},
        {&kMonitorPowerOn, 0, 4, DisplayPower::Off},
        {&kMonitorPowerOn, 1, 4, DisplayPower::On},
        {&kMonitorPowerOn, 2, 4, DisplayPower::On},  // no dimmed state in the older setting
        {&kAcDcPowerSource, 0, 4, std::nullopt},
        {&kConsoleDisplayState, 0, 2, std::nullopt},  // too short to hold a state
        {&kConsoleDisplayState, 0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        auto bytes = Block(*c.setting, c.value, c.length);
        EXPECT_EQ(DisplayStateOf(PBT_POWERSETTINGCHANGE, Data(bytes)), c.expected)
            << "value " << c.value << " length " << c.length;
    }
    auto off = Block(kConsoleDisplayState, 0);
    EXPECT_EQ(DisplayStateOf(PBT_APMPOWERSTATUSCHANGE, Data(off)), std::nullopt);
    EXPECT_EQ(DisplayStateOf(PBT_APMSUSPEND, 0), std::nullopt);
    EXPECT_EQ(DisplayStateOf(PBT_POWERSETTINGCHANGE, 0), std::nullopt) << "no block at all";
    EXPECT_TRUE(PowerSourceChanged(PBT_APMPOWERSTATUSCHANGE));
    EXPECT_FALSE(PowerSourceChanged(PBT_POWERSETTINGCHANGE));
}

// What a window that registered is told, delivered through the window system as
// Windows delivers it, and read by the watch the saver keeps.
std::vector<DisplayPower>* g_heard = nullptr;
LRESULT CALLBACK ListeningProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_POWERBROADCAST) {
        if (const auto power = DisplayStateOf(wParam, lParam)) g_heard->push_back(*power);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(DisplayPowerNotices, ARegisteredWindowHearsTheDisplayGoAndComeBack) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ListeningProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VtlPowerListener";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"VtlPowerListener", L"listener", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    std::vector<DisplayPower> heard;
    g_heard = &heard;
    {
        DisplayPowerNotices notices;
        // Where the system has the notices the registration holds; Windows then tells the
        // state at once (Wine accepts the registration and never sends anything).
        const bool registered = notices.Register(window);
        EXPECT_EQ(registered, notices.Registered());
        vtl::testing::PumpMessages(200);
        for (DisplayPower power : heard) EXPECT_NE(power, DisplayPower::Off) << "the test's monitor is on";
        RecordProperty("registered", registered ? "yes" : "no");
        RecordProperty("initial notices", static_cast<int>(heard.size()));
        heard.clear();

        DisplayWatch watch(20);
        for (const DWORD value : {0u, 2u, 1u}) {
            auto bytes = Block(kConsoleDisplayState, value);
            EXPECT_EQ(SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, Data(bytes)), TRUE);
            watch.SetDisplay(heard.back(), GetTickCount());
            EXPECT_EQ(watch.Paused(), value == 0) << "state " << value;
        }
        notices.Unregister();
        EXPECT_FALSE(notices.Registered());
        notices.Unregister();  // twice is harmless
    }
    g_heard = nullptr;
    DestroyWindow(window);
}

}  // namespace
}  // namespace vtl::win32
