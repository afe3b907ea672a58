// The covers on a real window system, fed with monitor lists of our own: where they
// stand, that they stay beneath the scene and never take activation, that input on
// them reaches the scene, and that a changed desk or the end leaves no stale cover.
#include <windows.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/saver/win32/monitor_covers.h"

namespace vtl {
namespace {

std::vector<POINT> g_moves;
std::vector<WPARAM> g_keys;

LRESULT CALLBACK SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEMOVE) g_moves.push_back({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (message == WM_KEYDOWN) g_keys.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

class MonitorCoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_moves.clear();
        g_keys.clear();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = SceneProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CoversTestScene";
        RegisterClassW(&windowClass);
        scene_ = CreateWindowExW(WS_EX_TOPMOST, L"CoversTestScene", L"Scene", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                                 nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(scene_, nullptr);
        ShowWindow(scene_, SW_SHOW);
    }
    void TearDown() override { DestroyWindow(scene_); }

    // Position from the top of the z-order; -1 when not found.
    static int ZIndex(HWND window) {
        int index = 0;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT), ++index)
            if (w == window) return index;
        return -1;
    }

    static RECT Rect(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return rect;
    }

    const int kWidth = GetSystemMetrics(SM_CXSCREEN), kHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND scene_ = nullptr;
    std::vector<ScreenRect> desk_;
};

TEST_F(MonitorCoversTest, EveryOtherMonitorGetsABlackTopMostCoverBeneathTheScene) {
    desk_ = {{0, 0, kWidth, kHeight}, {kWidth, 0, kWidth + 800, 600}, {-640, -100, 0, 380}};
    win32::MonitorCovers covers([this] { return desk_; });
    covers.Cover(scene_);
    ASSERT_EQ(covers.Windows().size(), 2u);
    const RECT expected[] = {{kWidth, 0, kWidth + 800, 600}, {-640, -100, 0, 380}};
    for (std::size_t i = 0; i < 2; ++i) {
        HWND cover = covers.Windows()[i];
        const RECT rect = Rect(cover);
        EXPECT_EQ(rect.left, expected[i].left);
        EXPECT_EQ(rect.top, expected[i].top);
        EXPECT_EQ(rect.right, expected[i].right);
        EXPECT_EQ(rect.bottom, expected[i].bottom);
        EXPECT_TRUE(IsWindowVisible(cover));
        const LONG_PTR ex = GetWindowLongPtrW(cover, GWL_EXSTYLE);
        EXPECT_TRUE(ex & WS_EX_TOPMOST);
        EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
        EXPECT_GT(ZIndex(cover), ZIndex(scene_)) << "a cover stands above the scene";
        // A click on a cover must not take activation from the scene, which would
        // stop its frames.
        EXPECT_EQ(SendMessageW(cover, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(scene_),
                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  MA_NOACTIVATE);
        EXPECT_NE(GetForegroundWindow(), cover);
    }
}

TEST_F(MonitorCoversTest, InputOnACoverReachesTheSceneInItsCoordinates) {
    desk_ = {{0, 0, kWidth, kHeight}, {-640, -100, 0, 380}};
    win32::MonitorCovers covers([this] { return desk_; });
    covers.Cover(scene_);
    ASSERT_EQ(covers.Windows().size(), 1u);
    HWND cover = covers.Windows()[0];
    SendMessageW(cover, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    SendMessageW(cover, WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(g_moves.size(), 1u);
    EXPECT_EQ(g_moves[0].x, -630);  // screen (-630, -80), the scene being at the origin
    EXPECT_EQ(g_moves[0].y, -80);
    EXPECT_EQ(g_keys, std::vector<WPARAM>{'A'});
}

TEST_F(MonitorCoversTest, AChangedDeskIsCoveredAnewAndTheEndLeavesNoCover) {
    desk_ = {{0, 0, kWidth, kHeight}, {kWidth, 0, kWidth + 800, 600}};
    win32::MonitorCovers covers([this] { return desk_; });
    covers.Cover(scene_);
    ASSERT_EQ(covers.Windows().size(), 1u);
    const HWND first = covers.Windows()[0];

    // The second monitor is unplugged and another is stacked above the primary.
    desk_ = {{0, 0, kWidth, kHeight}, {0, -1080, 1920, 0}};
    covers.Cover(scene_);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_EQ(covers.Windows().size(), 1u);
    EXPECT_EQ(Rect(covers.Windows()[0]).top, -1080);

    // Down to one monitor: nothing to cover.
    desk_ = {{0, 0, kWidth, kHeight}};
    const HWND second = covers.Windows()[0];
    covers.Cover(scene_);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(covers.Windows().empty());

    desk_ = {{0, 0, kWidth, kHeight}, {kWidth, 0, kWidth + 800, 600}};
    covers.Cover(scene_);
    const HWND third = covers.Windows()[0];
    covers.Remove();
    EXPECT_FALSE(IsWindow(third));
    EXPECT_TRUE(covers.Windows().empty());
}

TEST(SystemMonitors, ListsAtLeastThePrimaryMonitorAtTheOrigin) {
    const auto monitors = win32::SystemMonitors();
    ASSERT_EQ(monitors.size(), static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS)));
    const bool hasPrimary = std::any_of(monitors.begin(), monitors.end(), [](const ScreenRect& r) {
        return r.left == 0 && r.top == 0 && r.Width() == GetSystemMetrics(SM_CXSCREEN);
    });
    EXPECT_TRUE(hasPrimary);
}

}  // namespace
}  // namespace vtl
