#pragma once
// Milliseconds since this process was created, CPU time and peak memory, for the
// figures programs.
#include <windows.h>
#include <psapi.h>

#include <cstdint>

inline std::uint64_t FileTimeValue(const FILETIME& t) {
    return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

inline double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    return static_cast<double>(FileTimeValue(now) - FileTimeValue(created)) / 10000.0;
}

inline double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return static_cast<double>(FileTimeValue(kernel) + FileTimeValue(user)) / 10000.0;
}

inline double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
