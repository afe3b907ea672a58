// Thread message timers on a real message queue: handlers run from dispatch, a changed
// interval restarts, errors go to the handler given and the timer goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/win32_msgtimers.h"
#include "win32/message_pump.h"

namespace vtl {
namespace {

using testing::PumpMessages;

TEST(MessageTimers, HandlersRunFromTheLoopUntilTheTimerGoes) {
    std::vector<std::string> errors;
    win32::Win32MessageTimers timers([&](const std::exception& e) { errors.push_back(e.what()); });
    int fired = 0;
    IMessageTimer* seen = nullptr;
    auto timer = timers.CreateTimer(20, [&](IMessageTimer& sender) {
        ++fired;
        seen = &sender;
    });
    PumpMessages(300);
    EXPECT_GE(fired, 3);
    EXPECT_EQ(seen, timer.get());
    timer.reset();
    const int before = fired;
    PumpMessages(100);
    EXPECT_EQ(fired, before);
    EXPECT_TRUE(errors.empty());
}

TEST(MessageTimers, OnlyAChangedIntervalRestartsTheCountdown) {
    win32::Win32MessageTimers timers(nullptr);
    int fired = 0;
    auto timer = timers.CreateTimer(200, [&](IMessageTimer&) { ++fired; });
    // Setting the same interval again and again must not keep pushing the first call away.
    for (int i = 0; i < 10; ++i) {
        PumpMessages(40);
        timer->SetInterval(200);
    }
    EXPECT_GE(fired, 1);
    // A changed interval, set every 40 ms before it can end, keeps restarting it.
    fired = 0;
    for (int i = 0; i < 10; ++i) {
        timer->SetInterval(i % 2 ? 150 : 160);
        PumpMessages(40);
    }
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(timer->Interval(), 150u);
}

TEST(MessageTimers, AnErrorInAHandlerGoesToTheErrorHandlerAndTheTimerGoesOn) {
    std::vector<std::string> errors;
    win32::Win32MessageTimers timers([&](const std::exception& e) { errors.push_back(e.what()); });
    int fired = 0;
    auto timer = timers.CreateTimer(20, [&](IMessageTimer&) {
        if (++fired == 1) throw EDirectAudio("Cannot create segment object from file x.wav");
    });
    PumpMessages(300);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), "Cannot create segment object from file x.wav");
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_GE(fired, 3);
}

TEST(MessageTimers, ProcessMessagesRunsWaitingTimersAndKeepsAQuitForTheLoop) {
    win32::Win32MessageTimers timers(nullptr);
    int fired = 0;
    auto timer = timers.CreateTimer(10, [&](IMessageTimer&) { ++fired; });
    Sleep(50);
    PostQuitMessage(3);
    timers.ProcessMessages();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    timers.ProcessMessages();
    EXPECT_GE(fired, 1);
}

// A small window of the test's own class, gone again with the object.
class TestWindow {
public:
    TestWindow(const wchar_t* className, WNDPROC procedure) : className_(className) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance,
                                  nullptr);
    }
    ~TestWindow() {
        DestroyWindow(window_);
        UnregisterClassW(className_, GetModuleHandleW(nullptr));
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    const wchar_t* className_;
    HWND window_;
};

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_MOUSEMOVE || message == WM_APP) {
        auto* seen = reinterpret_cast<std::vector<UINT>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (seen) seen->push_back(message);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(MessageTimers, ProcessMessagesDropsKeysAndMovesButRunsTheRest) {
    TestWindow counting(L"VtlCounting", CountingProc);
    HWND window = counting.Handle();
    std::vector<UINT> seen;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(500, 500));
    PostMessageW(window, WM_APP, 0, 0);
    win32::Win32MessageTimers timers(nullptr);
    timers.ProcessMessages();
    EXPECT_EQ(seen, std::vector<UINT>{WM_APP});
}

// A window that never stops asking to be painted, as the saver's does when a frame
// takes longer than the frame period.
LRESULT CALLBACK AlwaysInvalidProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(MessageTimers, ProcessMessagesReturnsBesideAWindowThatIsAlwaysInvalid) {
    TestWindow painting(L"VtlAlwaysInvalidToo", AlwaysInvalidProc);
    ShowWindow(painting.Handle(), SW_SHOWNOACTIVATE);
    InvalidateRect(painting.Handle(), nullptr, FALSE);
    TestWindow counting(L"VtlCountingToo", CountingProc);
    std::vector<UINT> seen;
    SetWindowLongPtrW(counting.Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
    PostMessageW(counting.Handle(), WM_APP, 0, 0);
    win32::Win32MessageTimers timers(nullptr);
    const DWORD start = GetTickCount();
    timers.ProcessMessages();  // hangs here if paints are served
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(seen, std::vector<UINT>{WM_APP});
}

// Runs a GetMessage loop for `ms` next to that window; `serve` after each message.
int FiresBesideEndlessPainting(bool serve, int ms) {
    TestWindow painting(L"VtlAlwaysInvalid", AlwaysInvalidProc);
    ShowWindow(painting.Handle(), SW_SHOWNOACTIVATE);
    win32::Win32MessageTimers timers(nullptr);
    int fired = 0;
    auto timer = timers.CreateTimer(30, [&](IMessageTimer&) { ++fired; });
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    MSG message;
    while (static_cast<std::int32_t>(GetTickCount() - end) < 0 && GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
        if (serve) timers.ServeDue();
    }
    timer.reset();
    return fired;
}

TEST(MessageTimers, ServedFromTheLoopTheyFireWhilePaintingNeverStops) {
    const int starved = FiresBesideEndlessPainting(false, 600);
    const int served = FiresBesideEndlessPainting(true, 600);
    std::printf("  30 ms timer over 600 ms beside endless painting: %d fired by messages, %d served\n", starved,
                served);
    EXPECT_GE(served, 10);
    // Served and by message at once never fires a timer before its interval is up.
    EXPECT_LE(served, 21);
}

}  // namespace
}  // namespace vtl
