// The saver's scene measured in its own paced loop: time from process creation to
// the first presented frame, frames per second reached for a TimingFPS, CPU time per
// second and peak memory. Settings come from the registry as in the saver.
//   scenefigures.exe TIMINGFPS SECONDS
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>

#include "app/common/saverloop.h"
#include "app/saver/win32/host_folders.h"
#include "app/saver/win32/saver_content.h"
#include "platform/win32/win32_registry.h"
#include "figure_run.h"
#include "process_clock.h"

namespace {

HWND g_window = nullptr;
vtl::win32::SaverContent* g_content = nullptr;
long g_frames = 0;
double g_firstFrameMs = -1;

void CALLBACK Tick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) { InvalidateRect(g_window, nullptr, FALSE); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && g_content) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        g_content->RenderFrame();
        EndPaint(window, &paint);
        if (g_frames++ == 0) g_firstFrameMs = MsSinceProcessStart();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const int timingFps = argc > 1 ? std::atoi(argv[1]) : 50;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    vtl::win32::Win32Registry registry;
    vtl::win32::HostFolders folders(registry);
    vtl::win32::SaverContent content(registry, folders);

    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SceneFigures";
    RegisterClassW(&windowClass);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    g_window = CreateWindowExW(WS_EX_TOPMOST, L"SceneFigures", L"SceneFigures", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    content.SetupScene(g_window, width, height, false);
    g_content = &content;
    ShowWindow(g_window, SW_SHOW);
    UpdateWindow(g_window);
    const double cpuStart = CpuMs(), wallStart = MsSinceProcessStart();
    const long framesStart = g_frames;
    const UINT timer = timeSetEvent(vtl::FrameTimerDelayMs(timingFps), 0, Tick, 0, TIME_PERIODIC);
    PumpMessagesFor(seconds);
    timeKillEvent(timer);
    const double wall = (MsSinceProcessStart() - wallStart) / 1000.0;
    const double frames = static_cast<double>(g_frames - framesStart), cpu = CpuMs() - cpuStart;
    std::printf(
        "timing-fps %d\nfirst-frame-ms %.1f\nframes-per-second %.1f\ncpu-ms-per-second %.0f\ncpu-ms-per-frame %.1f\n"
        "peak-mb %.1f\n",
        timingFps, g_firstFrameMs, frames / wall, cpu / wall, frames > 0 ? cpu / frames : 0.0, PeakMegabytes());
    return 0;
}
