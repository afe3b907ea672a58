#pragma once
// The command line of the Linux program, an XScreenSaver hack: where to draw (the
// window XScreenSaver hands over, a window named by id, the root window or a window of
// its own) and the settings as the settings table names their options, with the
// table's defaults and ranges; XScreenSaver's -delay, the frame period every hack
// takes, sets the frame rate. The values land in an in-memory registry, so the scene
// and the sound read them exactly as they read the Windows registry.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace vtl {

enum class HackTarget { OwnWindow, Root, WindowId };

struct HackOptions {
    HackTarget target = HackTarget::OwnWindow;
    std::uint64_t windowId = 0;     // HackTarget::WindowId
    std::string display;            // -display; empty: $DISPLAY
    int width = 800, height = 600;  // -geometry, for a window of its own
    bool help = false;
    // Setting name -> value, in the order given; later options win.
    std::vector<std::pair<std::string, std::int32_t>> settings;
    // What was pulled into range (said on stderr, the hack still runs).
    std::vector<std::string> warnings;
};

struct HackParseResult {
    std::optional<HackOptions> options;  // none: `error` says why
    std::string error;
};

// args without the program's name. envWindow: $XSCREENSAVER_WINDOW, null when unset;
// -window-id and -root win over it, -window ignores it.
HackParseResult ParseHackOptions(const std::vector<std::string>& args, const char* envWindow);

// A window id as X prints them: decimal, or hexadecimal after 0x. Nothing for 0,
// garbage or a value that does not fit 32 bits.
std::optional<std::uint64_t> ParseWindowId(const std::string& text);

// Writes the options' settings under the settings key of the current user.
void StoreHackSettings(const HackOptions& options, IRegistry& registry);

// The text -help prints.
std::string HackUsage(const std::string& programName);

}  // namespace vtl
