// Thread message timers on a real message queue: handlers run from dispatch, a changed
// interval restarts, errors go to the handler given and the timer goes on.
#include <windows.h>

#include <gtest/gtest.h>

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
    Win32MessageTimers timers([&](const std::exception& e) { errors.push_back(e.what()); });
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
    Win32MessageTimers timers(nullptr);
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
    Win32MessageTimers timers([&](const std::exception& e) { errors.push_back(e.what()); });
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
    Win32MessageTimers timers(nullptr);
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

}  // namespace
}  // namespace vtl
