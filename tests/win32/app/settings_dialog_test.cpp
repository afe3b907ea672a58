// The settings dialog on a real window system: every setting in its own control, both
// ways; laid out for the DPI it is told of (fonts, control positions, the suggested
// window rectangle) at 96, 144 and 192 dots per inch and back without drift; and
// errors raised while it handles a message, F1's help included, shown in a box while
// the dialog stays open.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>

#include "platform/win32/monitor_dpi.h"
#include "platform/win32/win32_text.h"
#include "app/saver/win32/settings_form.h"
#include "app/saver/win32/settings_form_template.h"
#include "platform/fake/fake_registry.h"
#include "settings/settings_table.h"

namespace vtl {
namespace {

constexpr int kOk = IDOK, kHelp = 100, kVideoMode = 102, kSpeed = 106, kTiming = 107, kTimingSpin = 108, kGetMore = 112;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;

struct Box {
    int left, top, width, height;
};

Box InDialog(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

struct TextSearch {
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK MatchText(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<TextSearch*>(param);
    wchar_t buffer[128] = {};
    GetWindowTextW(child, buffer, 128);
    if (lstrcmpW(buffer, search->text) != 0) return TRUE;
    search->found = child;
    return FALSE;
}

HWND ChildWithText(HWND dialog, const wchar_t* text) {
    TextSearch search{text, nullptr};
    EnumChildWindows(dialog, MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Ends the dialog's quit: closing it posts the application's quit to this thread.
void DestroyDialog(HWND dialog) {
    DestroyWindow(dialog);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
}

std::uint32_t Stored(const FakeRegistry& registry, const char* name) {
    const auto* value = registry.Get(RegistryRoot::CurrentUser, kSettingsKey, name);
    return value && std::holds_alternative<std::uint32_t>(*value) ? std::get<std::uint32_t>(*value) : 0xDEADBEEFu;
}

struct CheckBoxRow {
    const wchar_t* caption;
    const char* setting;
    bool byDefault;
};
constexpr CheckBoxRow kBoxes[] = {{L"Use current mode", "UseCurrentMode", true},
                                  {L"Show glasses", "ShowGlasses", true},
                                  {L"Reflection on skull", "ReflectionOnSkull", true},
                                  {L"Reflection on glasses", "ReflectionOnGlasses", true},
                                  {L"Show real fps rate", "ShowFPS", false},
                                  {L"Show activity time ", "ShowActivityTime", false},
                                  {L"Enable sounds", "EnableSounds", true}};

TEST(SettingsDialogControls, EachCheckBoxShowsItsOwnSetting) {
    for (const CheckBoxRow& flipped : kBoxes) {
        SCOPED_TRACE(flipped.setting);
        FakeRegistry registry;
        registry.Set(RegistryRoot::CurrentUser, kSettingsKey, flipped.setting, flipped.byDefault ? 0u : 1u);
        HWND dialog = win32::CreateSettingsDialog(registry);
        ASSERT_NE(dialog, nullptr);
        for (const CheckBoxRow& box : kBoxes) {
            HWND control = ChildWithText(dialog, box.caption);
            ASSERT_NE(control, nullptr) << "no check box captioned '" << win32::Narrow(box.caption) << "'";
            const bool checked = &box == &flipped ? !box.byDefault : box.byDefault;
            EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0), checked ? BST_CHECKED : BST_UNCHECKED)
                << win32::Narrow(box.caption);
        }
        DestroyDialog(dialog);
    }
}

TEST(SettingsDialogControls, TheOtherControlsShowTheirSettingsAndOkStoresWhatEveryControlHolds) {
    FakeRegistry registry;
    const std::pair<const char*, std::uint32_t> stored[] = {
        {"Speed", 9},          {"TimingFPS", 75},  {"ShowFPS", 1},           {"ShowActivityTime", 0},
        {"EnableSounds", 0},   {"ShowGlasses", 0}, {"ReflectionOnSkull", 1}, {"ReflectionOnGlasses", 0},
        {"UseCurrentMode", 0}, {"VideoMode", 4}};
    for (const auto& [name, value] : stored) registry.Set(RegistryRoot::CurrentUser, kSettingsKey, name, value);
    HWND dialog = win32::CreateSettingsDialog(registry);
    ASSERT_NE(dialog, nullptr);
    for (const SettingDef& setting : kAllSettings)
        EXPECT_NE(GetDlgItem(dialog, win32::ControlIdOf(setting)), nullptr) << "no control shows " << setting.name;
    EXPECT_EQ(SendDlgItemMessageW(dialog, kSpeed, TBM_GETPOS, 0, 0), 9);
    EXPECT_EQ(GetDlgItemInt(dialog, kTiming, nullptr, FALSE), 75u);
    EXPECT_EQ(SendDlgItemMessageW(dialog, kVideoMode, CB_GETCURSEL, 0, 0), 4);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kVideoMode)));

    // A click on "Use current mode" disables the list, whose choice OK still stores.
    SendMessageW(ChildWithText(dialog, L"Use current mode"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kVideoMode)));
    SendMessageW(ChildWithText(dialog, L"Enable sounds"), BM_CLICK, 0, 0);
    registry.writeCount = 0;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kOk, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindow(dialog)) << "OK left the dialog open";
    EXPECT_EQ(registry.writeCount, 10);
    const std::pair<const char*, std::uint32_t> written[] = {
        {"Speed", 9},          {"TimingFPS", 75},  {"ShowFPS", 1},           {"ShowActivityTime", 0},
        {"EnableSounds", 1},   {"ShowGlasses", 0}, {"ReflectionOnSkull", 1}, {"ReflectionOnGlasses", 0},
        {"UseCurrentMode", 1}, {"VideoMode", 4}};
    for (const auto& [name, value] : written) EXPECT_EQ(Stored(registry, name), value) << name;
    if (IsWindow(dialog)) DestroyWindow(dialog);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
}

class SettingsDialogDpi : public ::testing::TestWithParam<int> {};

TEST_P(SettingsDialogDpi, FontsPositionsAndTheSuggestedRectangleFollowTheDpi) {
    const int dpi = GetParam();
    FakeRegistry registry;
    HWND dialog = win32::CreateSettingsDialog(registry);
    ASSERT_NE(dialog, nullptr);
    auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };

    // Moved to a monitor of `dpi`, then back to where it opened: nothing may drift.
    RECT opened{};
    GetWindowRect(dialog, &opened);
    const UINT openedDpi = win32::MonitorDpi(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY));
    for (const int step : {dpi, static_cast<int>(openedDpi)}) {
        const RECT frame = win32::FrameForClient(MulDiv(398, step, 96), MulDiv(339, step, 96), kStyle, kExStyle,
                                                 static_cast<UINT>(step));
        RECT suggested{opened.left + 40, opened.top + 30, opened.left + 40 + frame.right - frame.left,
                       opened.top + 30 + frame.bottom - frame.top};
        SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(step, step), reinterpret_cast<LPARAM>(&suggested));
        RECT now{};
        GetWindowRect(dialog, &now);
        EXPECT_EQ(now.left, suggested.left);
        EXPECT_EQ(now.top, suggested.top);
        EXPECT_EQ(now.right, suggested.right);
        EXPECT_EQ(now.bottom, suggested.bottom);
        if (step == dpi) {
            const Box ok = InDialog(dialog, GetDlgItem(dialog, kOk));
            EXPECT_EQ(ok.left, scale(8));
            EXPECT_EQ(ok.top, scale(304));
            EXPECT_EQ(ok.width, scale(70));
            EXPECT_EQ(ok.height, scale(25));
            const Box help = InDialog(dialog, GetDlgItem(dialog, kHelp));
            EXPECT_EQ(help.left, scale(319));
            EXPECT_EQ(help.left + help.width, scale(319) + scale(70));
            EXPECT_EQ(FontOf(GetDlgItem(dialog, kOk)).lfHeight, -scale(11));
            const LOGFONTW link = FontOf(GetDlgItem(dialog, kGetMore));
            EXPECT_EQ(link.lfHeight, -scale(11));
            EXPECT_EQ(link.lfWeight, FW_BOLD);
            EXPECT_TRUE(link.lfUnderline);
            // A label as wide as its text in the new font, where the design puts it.
            HWND label = ChildWithText(dialog, L"Rotation speed");
            ASSERT_NE(label, nullptr);
            HDC dc = GetDC(dialog);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
            SIZE text{};
            GetTextExtentPoint32W(dc, L"Rotation speed", 14, &text);
            SelectObject(dc, old);
            ReleaseDC(dialog, dc);
            const Box labelBox = InDialog(dialog, label);
            EXPECT_EQ(labelBox.left, scale(163));
            EXPECT_EQ(labelBox.width, text.cx + 1);
            // The arrows end where the timing field's design ends (inside its sunken
            // border), beside it.
            const Box edit = InDialog(dialog, GetDlgItem(dialog, kTiming));
            const Box spin = InDialog(dialog, GetDlgItem(dialog, kTimingSpin));
            EXPECT_NEAR(spin.left + spin.width, scale(156 + 156 + 65), 2);
            EXPECT_EQ(spin.top, edit.top);
            EXPECT_LE(edit.left + edit.width, spin.left + 2);
        }
    }
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, MulDiv(398, static_cast<int>(openedDpi), 96));
    EXPECT_EQ(client.bottom, MulDiv(339, static_cast<int>(openedDpi), 96));
    const Box ok = InDialog(dialog, GetDlgItem(dialog, kOk));
    EXPECT_EQ(ok.left, MulDiv(8, static_cast<int>(openedDpi), 96));
    EXPECT_EQ(FontOf(GetDlgItem(dialog, kOk)).lfHeight, -MulDiv(11, static_cast<int>(openedDpi), 96));
    DestroyDialog(dialog);
}

INSTANTIATE_TEST_SUITE_P(Dpis, SettingsDialogDpi, ::testing::Values(96, 144, 192));

// A registry that fails every read once told to: an error raised inside a handler.
class FailingRegistry : public FakeRegistry {
public:
    enum class Failure { None, StandardError, Other };
    Failure failure = Failure::None;
    std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path) override {
        if (failure == Failure::StandardError) throw std::runtime_error("The registry is gone");
        if (failure == Failure::Other) throw 42;
        return FakeRegistry::OpenKey(root, path);
    }
};

// Waits on its own thread for a message box of this process, keeps its text and
// presses its button.
class BoxCloser {
public:
    BoxCloser()
        : thread_([this] {
              for (int i = 0; i < 200 && !done_; ++i) {
                  HWND box = FindWindowW(L"#32770", L"Vantorel 3D Screensaver");
                  if (box && GetDlgItem(box, 0xFFFF)) {  // the box's text is the static 0xFFFF
                      wchar_t text[256] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 256);
                      text_ = text;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  Sleep(50);
              }
          }) {}
    ~BoxCloser() { Finish(); }
    std::wstring Text() {
        Finish();
        return text_;
    }

private:
    void Finish() {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> done_{false};
    std::wstring text_;
    std::thread thread_;
};

TEST(SettingsDialogErrors, AnErrorInF1sHelpIsShownAndTheDialogStaysOpen) {
    struct Case {
        FailingRegistry::Failure failure;
        const wchar_t* text;
    };
    for (const Case& c : {Case{FailingRegistry::Failure::StandardError, L"The registry is gone."},
                          Case{FailingRegistry::Failure::Other, L"Unknown error."}}) {
        FailingRegistry registry;
        HWND dialog = win32::CreateSettingsDialog(registry);
        ASSERT_NE(dialog, nullptr);
        registry.failure = c.failure;
        std::wstring shown;
        {
            BoxCloser closer;
            SendMessageW(dialog, win32::kShowHelpMessage, 0, 0);
            shown = closer.Text();
        }
        EXPECT_EQ(shown, c.text);
        EXPECT_TRUE(IsWindow(dialog)) << "the dialog went with the error";
        registry.failure = FailingRegistry::Failure::None;
        DestroyDialog(dialog);
    }
}

}  // namespace
}  // namespace vtl
