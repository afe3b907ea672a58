#pragma once
// Dots per inch per monitor, on every Windows the program runs on: the per-monitor
// calls of Windows 8.1 and 10 where the system has them, the system's one DPI before.
#include <windows.h>

namespace vtl::win32 {

// The effective DPI of a monitor (96 = 100 %).
UINT MonitorDpi(HMONITOR monitor);

// The window rectangle, from 0,0, whose client area is `clientWidth` × `clientHeight`
// with the frame drawn at `dpi`.
RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

// The dialog manager of Windows 10 rescales a per-monitor dialog by itself when it
// moves to a monitor of another DPI; a dialog that lays itself out on WM_DPICHANGED
// turns that off, or both would scale it.
void LeaveDpiChangesToDialog(HWND dialog);

}  // namespace vtl::win32
