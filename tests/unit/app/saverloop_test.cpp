#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/common/saverloop.h"

namespace vtl {
namespace {

struct FakeSaverHost : ISaverHost {
    bool passwordAnswer = true;
    std::vector<std::string> calls;
    bool VerifyPassword() override {
        calls.push_back("verify");
        return passwordAnswer;
    }
    void StopFrameTimer() override { calls.push_back("stop-timer"); }
    void ShowCursor() override { calls.push_back("show-cursor"); }
    void PostQuit() override { calls.push_back("quit"); }
    bool unblockTimerStarts = true;
    bool StartUnblockTimer() override {
        calls.push_back("unblock-timer");
        return unblockTimerStarts;
    }
};

using Calls = std::vector<std::string>;
const Calls kAccepted{"verify", "stop-timer", "show-cursor", "quit"};

TEST(SaverController, MouseMovesBeyondTenPixelsEndTheSaver) {
    struct {
        std::int32_t x, y;
        bool ends;
    } cases[] = {{500, 400, false},      {510, 400, false},     {490, 410, false}, {510, 390, false},
                 {511, 400, true},       {489, 400, true},      {500, 411, true},  {500, 389, true},
                 {INT32_MAX, 400, true}, {INT32_MIN, 400, true}};
    for (const auto& c : cases) {
        FakeSaverHost host;
        SaverController saver(host, ScreenPoint{500, 400});
        saver.Start();
        saver.OnMouseMove({c.x, c.y});
        EXPECT_EQ(host.calls, c.ends ? kAccepted : Calls{}) << c.x << "," << c.y;
        EXPECT_EQ(saver.SaverActive(), !c.ends);
    }
}

TEST(SaverController, TheSquareStaysWhereTheCursorStarted) {
    FakeSaverHost host;
    SaverController saver(host, ScreenPoint{100, 100});
    for (int step = 1; step <= 10; ++step) saver.OnMouseMove({100 + step, 100 - step});
    EXPECT_TRUE(host.calls.empty());
    saver.OnMouseMove({111, 100});
    EXPECT_EQ(host.calls, kAccepted);
}

TEST(SaverController, WithoutAStartPositionTheFirstMoveSetsIt) {
    FakeSaverHost host;
    SaverController saver(host, std::nullopt);
    saver.Start();
    saver.OnMouseMove({700, 500});  // far from (0, 0), yet no move of the mouse
    EXPECT_TRUE(host.calls.empty());
    saver.OnMouseMove({710, 490});
    EXPECT_TRUE(host.calls.empty());
    saver.OnMouseMove({711, 500});
    EXPECT_EQ(host.calls, kAccepted);
}

TEST(SaverController, KeyAndCloseEndAfterThePassword) {
    for (int which = 0; which < 2; ++which) {
        FakeSaverHost host;
        SaverController saver(host, {});
        saver.Start();
        which ? saver.OnClose() : saver.OnKey();
        EXPECT_EQ(host.calls, kAccepted);
        EXPECT_FALSE(saver.SaverActive());
        EXPECT_TRUE(saver.EndPending());
        saver.OnKey();  // nothing can start a second request
        EXPECT_EQ(host.calls, kAccepted);
    }
}

TEST(SaverController, RefusedPasswordBlocksInputUntilUnblocked) {
    FakeSaverHost host;
    host.passwordAnswer = false;
    SaverController saver(host, {});
    saver.Start();
    saver.OnKey();
    EXPECT_EQ(host.calls, (Calls{"verify", "unblock-timer"}));
    EXPECT_TRUE(saver.SaverActive());
    saver.OnKey();  // within the 100 ms
    saver.OnMouseMove({50, 50});
    EXPECT_EQ(host.calls.size(), 2u);
    saver.UnblockInput();
    host.passwordAnswer = true;
    saver.OnKey();
    EXPECT_EQ(host.calls, (Calls{"verify", "unblock-timer", "verify", "stop-timer", "show-cursor", "quit"}));
}

TEST(SaverController, WithoutAnUnblockTimerInputIsUnblockedAtOnce) {
    FakeSaverHost host;
    host.passwordAnswer = false;
    host.unblockTimerStarts = false;
    SaverController saver(host, ScreenPoint{0, 0});
    saver.Start();
    saver.OnKey();
    EXPECT_FALSE(saver.EndPending());
    host.passwordAnswer = true;
    saver.OnKey();  // the next key asks again and may end the saver
    EXPECT_EQ(host.calls, (Calls{"verify", "unblock-timer", "verify", "stop-timer", "show-cursor", "quit"}));
}

TEST(SaverController, OnlyAPlainActivationPaints) {
    FakeSaverHost host;
    SaverController saver(host, {});
    EXPECT_FALSE(saver.SaverActive());
    struct {
        std::uint32_t state;
        bool active;
    } cases[] = {{1, true}, {0, false}, {2, false}, {1, true}};
    for (const auto& c : cases) {
        saver.OnActivate(c.state);
        EXPECT_EQ(saver.SaverActive(), c.active) << c.state;
    }
}

// An error in a paint or input handler never ends the run around the password.
TEST(SaverController, AHandlerErrorStopsFramesAndEndsOnlyThroughThePassword) {
    struct Case {
        const char* what;
        bool answer;
        Calls calls;
    } cases[] = {
        {"accepted", true, {"stop-timer", "verify", "stop-timer", "show-cursor", "quit"}},
        {"refused", false, {"stop-timer", "verify", "unblock-timer"}},  // runs on, black
    };
    for (const Case& c : cases) {
        FakeSaverHost host;
        host.passwordAnswer = c.answer;
        SaverController saver(host, ScreenPoint{0, 0});
        saver.Start();
        saver.OnHandlerError();
        EXPECT_EQ(host.calls, c.calls) << c.what;
        EXPECT_FALSE(saver.SaverActive()) << c.what << ": frames go on after the error";
    }
}

TEST(SaverController, AfterARefusalTheNextInputAsksAgainAndItsAcceptanceEnds) {
    FakeSaverHost host;
    host.passwordAnswer = false;
    SaverController saver(host, ScreenPoint{0, 0});
    saver.Start();
    saver.OnHandlerError();
    saver.UnblockInput();  // the 100 ms timer
    host.calls.clear();
    host.passwordAnswer = true;
    saver.OnKey();
    EXPECT_EQ(host.calls, kAccepted);
}

TEST(SaverController, AnErrorInsideThePasswordCheckUnblocksInsteadOfAskingAgain) {
    struct ThrowingHost : FakeSaverHost {
        bool VerifyPassword() override {
            calls.push_back("verify");
            throw std::runtime_error("password library failed");
        }
    } host;
    SaverController saver(host, ScreenPoint{0, 0});
    saver.Start();
    // As the window procedure does: the error leaves the key's handling and is
    // reported to the rules.
    EXPECT_THROW(saver.OnKey(), std::runtime_error);
    saver.OnHandlerError();
    EXPECT_EQ(host.calls, (Calls{"verify", "stop-timer"}));  // not asked a second time at once
    EXPECT_FALSE(saver.EndPending()) << "input left blocked: nothing could end the saver";
    EXPECT_FALSE(saver.SaverActive());
}

TEST(FrameTimerDelay, IntegerPeriodInsideTheUsableRange) {
    struct {
        std::int32_t fps;
        std::uint32_t ms;
    } cases[] = {{50, 20},  {60, 16},         {30, 33}, {1000, 1}, {10, 100},     {0, 100},
                 {-5, 100}, {INT32_MIN, 100}, {9, 100}, {1001, 1}, {INT32_MAX, 1}};
    for (const auto& c : cases) EXPECT_EQ(FrameTimerDelayMs(c.fps), c.ms) << c.fps;
}

}  // namespace
}  // namespace vtl
