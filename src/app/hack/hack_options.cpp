#include "app/hack/hack_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "settings/settingsform_logic.h"
#include "settings/settingsstore.h"

namespace vtl {

namespace {

struct NumberOption {
    const char* option;
    const SettingDef* setting;
    std::int32_t low, high;
};

struct SwitchOption {
    const char* option;  // "-name" turns it on, "-no-name" off
    const SettingDef* setting;
};

const NumberOption kNumberOptions[] = {
    {"speed", &kSpeed, kMinRotationSpeed, kMaxRotationSpeed},
    {"timing-fps", &kTimingFPS, kMinTimingFPS, kMaxTimingFPS},
    {"video-mode", &kVideoMode, 0, static_cast<std::int32_t>(VideoModeTable.size()) - 1},
};

const SwitchOption kSwitchOptions[] = {
    {"show-fps", &kShowFPS},
    {"show-activity-time", &kShowActivityTime},
    {"sounds", &kEnableSounds},
    {"glasses", &kShowGlasses},
    {"reflection-on-skull", &kReflectionOnSkull},
    {"reflection-on-glasses", &kReflectionOnGlasses},
    {"use-current-mode", &kUseCurrentMode},
};

// XScreenSaver's own options that every hack accepts and this one has no use for.
const char* const kIgnoredWithValue[] = {"visual", "delay"};
const char* const kIgnoredAlone[] = {"install", "no-install", "sync", "no-sync", "mono"};

// "-name" or "--name" -> "name"; anything else -> empty.
std::string OptionName(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') return {};
    const std::size_t skip = arg[1] == '-' ? 2 : 1;
    return arg.size() > skip ? arg.substr(skip) : std::string();
}

std::optional<std::int64_t> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    for (std::size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') return std::nullopt;
    return std::strtoll(text.c_str(), nullptr, 10);
}

bool ParseGeometry(const std::string& text, int& width, int& height) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto w = WholeNumber(text.substr(0, x));
    std::string rest = text.substr(x + 1);
    rest = rest.substr(0, rest.find_first_of("+-"));  // a position, if any, is the window manager's
    const auto h = WholeNumber(rest);
    if (!w || !h || *w < 16 || *h < 16 || *w > 16384 || *h > 16384) return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

template <typename Table>
auto Find(const Table& table, const std::string& name) -> decltype(&table[0]) {
    for (const auto& row : table)
        if (name == row.option) return &row;
    return nullptr;
}

bool Listed(const char* const* begin, const char* const* end, const std::string& name) {
    return std::any_of(begin, end, [&](const char* item) { return name == item; });
}

}  // namespace

std::optional<std::uint64_t> ParseWindowId(const std::string& text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    for (char c : digits) {
        const bool ok = hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : (c >= '0' && c <= '9');
        if (!ok) return std::nullopt;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    // X resource ids are 29 bits wide; 0 is None.
    if (errno != 0 || value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
    return value;
}

HackParseResult ParseHackOptions(const std::vector<std::string>& args, const char* envWindow) {
    HackOptions options;
    bool windowChosen = false;
    auto fail = [](std::string why) { return HackParseResult{std::nullopt, std::move(why)}; };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = OptionName(arg);
        auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (name.empty()) return fail("unknown argument \"" + arg + "\"");
        if (name == "help" || name == "h") {
            options.help = true;
        } else if (name == "root") {
            options.target = HackTarget::Root;
            windowChosen = true;
        } else if (name == "window") {
            options.target = HackTarget::OwnWindow;
            windowChosen = true;
        } else if (name == "window-id") {
            const std::string* text = value();
            if (!text) return fail("-window-id needs a window id");
            const auto id = ParseWindowId(*text);
            if (!id) return fail("-window-id: \"" + *text + "\" is not a window id");
            options.target = HackTarget::WindowId;
            options.windowId = *id;
            windowChosen = true;
        } else if (name == "display") {
            const std::string* text = value();
            if (!text) return fail("-display needs a display name");
            options.display = *text;
        } else if (name == "geometry") {
            const std::string* text = value();
            if (!text || !ParseGeometry(*text, options.width, options.height))
                return fail("-geometry needs WIDTHxHEIGHT (16 to 16384 each)");
        } else if (name == "fps") {
            // Every hack's frame-rate switch: here the saver's own frame-rate line.
            options.settings.emplace_back(kShowFPS.name, 1);
        } else if (name == "no-fps") {
            options.settings.emplace_back(kShowFPS.name, 0);
        } else if (const NumberOption* number = Find(kNumberOptions, name)) {
            const std::string* text = value();
            if (!text) return fail("-" + name + " needs a whole number");
            const auto parsed = WholeNumber(*text);
            if (!parsed) return fail("-" + name + ": \"" + *text + "\" is not a whole number");
            const auto clamped = static_cast<std::int32_t>(std::clamp<std::int64_t>(*parsed, number->low, number->high));
            if (clamped != *parsed)
                options.warnings.push_back("-" + name + " " + *text + " is outside " + std::to_string(number->low) +
                                           " to " + std::to_string(number->high) + "; using " +
                                           std::to_string(clamped));
            options.settings.emplace_back(number->setting->name, clamped);
        } else if (const SwitchOption* on = Find(kSwitchOptions, name)) {
            options.settings.emplace_back(on->setting->name, 1);
        } else if (const SwitchOption* off = name.rfind("no-", 0) == 0 ? Find(kSwitchOptions, name.substr(3)) : nullptr) {
            options.settings.emplace_back(off->setting->name, 0);
        } else if (Listed(std::begin(kIgnoredWithValue), std::end(kIgnoredWithValue), name)) {
            if (!value()) return fail("-" + name + " needs a value");
        } else if (!Listed(std::begin(kIgnoredAlone), std::end(kIgnoredAlone), name)) {
            return fail("unknown option \"" + arg + "\"");
        }
    }
    if (!windowChosen && envWindow && *envWindow) {
        const auto id = ParseWindowId(envWindow);
        if (!id) return fail(std::string("XSCREENSAVER_WINDOW \"") + envWindow + "\" is not a window id");
        options.target = HackTarget::WindowId;
        options.windowId = *id;
    }
    return HackParseResult{std::move(options), {}};
}

void StoreHackSettings(const HackOptions& options, IRegistry& registry) {
    for (const auto& [name, value] : options.settings) WriteSettingInt(registry, kSettingsKey, name, value);
}

std::string HackUsage(const std::string& programName) {
    std::ostringstream out;
    out << "usage: " << programName << " [options]\n"
        << "Vantorel 3D Screensaver: a lit skull turning before a night city.\n\n"
        << "Where it draws (default: $XSCREENSAVER_WINDOW, else a window of its own):\n"
        << "  -root                 the root window\n"
        << "  -window-id ID         an existing window (decimal or 0x hex)\n"
        << "  -window               a window of its own; -geometry WxH sets its size\n"
        << "  -display NAME         the X display\n\n"
        << "Settings (defaults in brackets):\n"
        << "  -speed N              rotation speed, 1 to 11 [6]\n"
        << "  -timing-fps N         frames per second aimed at, 10 to 1000 [50]\n"
        << "  -show-fps, -fps       the measured frame rate in a corner [off]\n"
        << "  -show-activity-time   how long the saver has run [off]\n"
        << "  -sounds               the city soundscape [on]\n"
        << "  -glasses              sunglasses on the skull [on]\n"
        << "  -reflection-on-skull  environment reflection on the bone [on]\n"
        << "  -reflection-on-glasses  environment reflection on the lenses [on]\n"
        << "  -use-current-mode, -video-mode N  accepted; the display mode is never changed here\n"
        << "Each switch has a -no- form (-no-glasses, -no-sounds, ...).\n";
    return out.str();
}

}  // namespace vtl
