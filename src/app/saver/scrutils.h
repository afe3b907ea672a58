#pragma once
// The screen-saver command line: which one mode this process runs, and the host
// window handle that preview and password change are given.
#include <cstdint>
#include <string>
#include <vector>

namespace vtl {

enum RunMode : int { rmSaver = 1, rmConfigure = 2, rmPreview = 3, rmChangePassword = 4 };

struct ParsedCommandLine {
    RunMode mode = rmConfigure;
    std::int32_t hostWindow = 0;  // HostWindow
};

inline constexpr const char* kApplicationTitle = "Vantorel 3D Screensaver";
inline constexpr const char* kSaverMutexName = "VTL3DRunSaverMutex";

// Splits a whole command line the way the program's runtime does: runs of blanks
// separate arguments, double quotes group blanks and are removed. Element 0 is the
// program's own path.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Never fails: every command line maps to one mode.
ParsedCommandLine ParseRunMode(const std::string& commandLine);

// A signed 32-bit decimal integer, or 0 for anything else.
std::int32_t ParseHostWindow(const std::string& text);

}  // namespace vtl
