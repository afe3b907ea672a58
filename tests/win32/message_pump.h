#pragma once
// Dispatches this thread's window messages for about the given time, so timers and
// window procedures run as they would under a message loop.
#include <windows.h>

namespace vtl::testing {

inline void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace vtl::testing
