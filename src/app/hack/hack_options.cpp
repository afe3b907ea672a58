#include "app/hack/hack_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "settings/settingsstore.h"

namespace vtl {

namespace {

// XScreenSaver's own options that it or its settings program may pass to any hack
// and this one has no use for: colormap installing and the visual (GLX picks its own),
// monochrome screens, the settings program's paired preview and X's synchronous mode.
// Also the display-mode settings earlier versions of this hack accepted: the display
// mode is never changed on Linux, so they stay accepted and do nothing.
const char* const kIgnoredWithValue[] = {"visual", "video-mode"};
const char* const kIgnoredAlone[] = {"install", "noinstall",        "no-install",         "mono", "pair", "sync",
                                     "no-sync", "use-current-mode", "no-use-current-mode"};

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

// "{+-}X{+-}Y", the position part of an X geometry.
bool IsPosition(const std::string& text) {
    const auto second = text.find_first_of("+-", 1);
    if (text.empty() || second == std::string::npos) return false;
    const std::string x = text.substr(1, second - 1), y = text.substr(second + 1);
    auto digits = [](const std::string& t) {
        return !t.empty() && t.size() < 7 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    return digits(x) && digits(y);
}

// An X geometry, "[=][WIDTHxHEIGHT][{+-}X{+-}Y]". The size is ours to take; a position,
// if any, is the window manager's. Without a size the window keeps the one it has.
bool ParseGeometry(std::string text, int& width, int& height) {
    if (!text.empty() && text[0] == '=') text.erase(0, 1);
    const std::string size = text.substr(0, text.find_first_of("+-"));
    const std::string position = text.substr(size.size());
    if (!position.empty() && !IsPosition(position)) return false;
    if (size.empty()) return !position.empty();
    const auto x = size.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto w = WholeNumber(size.substr(0, x));
    const auto h = WholeNumber(size.substr(x + 1));
    if (!w || !h || *w < 16 || *h < 16 || *w > 16384 || *h > 16384) return false;
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

// XScreenSaver's frame period in microseconds as the frame rate the loop aims at,
// pulled into that setting's range (with a word when it had to be). No delay at all
// asks for frames as fast as they come: the fastest rate there is.
std::int32_t FramesPerSecondOfDelay(std::int64_t micros, const std::string& text, std::vector<std::string>& warnings) {
    if (micros == 0) return kTimingFPS.high;
    const std::int64_t asked = (1000000 + micros / 2) / micros;
    const auto fps = static_cast<std::int32_t>(std::clamp<std::int64_t>(asked, kTimingFPS.low, kTimingFPS.high));
    if (fps != asked)
        warnings.push_back("-delay " + text + " asks for " + std::to_string(asked) + " frames per second, outside " +
                           std::to_string(kTimingFPS.low) + " to " + std::to_string(kTimingFPS.high) + "; using " +
                           std::to_string(fps));
    return fps;
}

// A setting the hack offers as a number: its option takes a value.
const SettingDef* NumberOption(const std::string& name) {
    const SettingDef* setting = FindSettingByOption(name.c_str());
    return setting && setting->kind == SettingKind::Integer ? setting : nullptr;
}

// A setting the hack offers as a switch: "-name" turns it on, "-no-name" off.
const SettingDef* SwitchOption(const std::string& name, bool& on) {
    const bool negated = name.rfind("no-", 0) == 0;
    const SettingDef* setting = FindSettingByOption(name.c_str() + (negated ? 3 : 0));
    if (!setting || setting->kind != SettingKind::Boolean) return nullptr;
    on = !negated;
    return setting;
}

// "  -timing-fps N         frames per second aimed at, 10 to 1000 [50]"
std::string UsageLine(const SettingDef& setting) {
    std::string names = std::string("-") + setting.option;
    if (setting.optionAlias) names += std::string(", -") + setting.optionAlias;
    if (setting.kind == SettingKind::Integer) names += " N";
    constexpr std::size_t kColumn = 22;
    names += std::string(names.size() + 2 > kColumn ? 2 : kColumn - names.size(), ' ');
    std::string line = "  " + names + setting.help;
    if (setting.kind == SettingKind::Integer)
        line += ", " + std::to_string(setting.low) + " to " + std::to_string(setting.high) + " [" +
                std::to_string(setting.defaultValue) + "]";
    else
        line += setting.defaultValue ? " [on]" : " [off]";
    return line + "\n";
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
                return fail("-geometry needs WIDTHxHEIGHT (16 to 16384 each), +X+Y or both");
        } else if (name == "delay") {
            const std::string* text = value();
            if (!text) return fail("-delay needs a number of microseconds");
            const auto micros = WholeNumber(*text);
            if (!micros || *micros < 0) return fail("-delay: \"" + *text + "\" is not a number of microseconds");
            options.settings.emplace_back(kTimingFPS.name, FramesPerSecondOfDelay(*micros, *text, options.warnings));
        } else if (const SettingDef* number = NumberOption(name)) {
            const std::string* text = value();
            if (!text) return fail("-" + name + " needs a whole number");
            const auto parsed = WholeNumber(*text);
            if (!parsed) return fail("-" + name + ": \"" + *text + "\" is not a whole number");
            const auto clamped =
                static_cast<std::int32_t>(std::clamp<std::int64_t>(*parsed, number->low, number->high));
            if (clamped != *parsed)
                options.warnings.push_back("-" + name + " " + *text + " is outside " + std::to_string(number->low) +
                                           " to " + std::to_string(number->high) + "; using " +
                                           std::to_string(clamped));
            options.settings.emplace_back(number->name, clamped);
        } else if (bool on = false; const SettingDef* setting = SwitchOption(name, on)) {
            options.settings.emplace_back(setting->name, on ? 1 : 0);
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
        << "Settings (defaults in brackets):\n";
    for (const SettingDef& setting : kSettingsTable)
        if (setting.option) out << UsageLine(setting);
    out << "  -delay USEC           microseconds per frame, as other hacks take it: sets\n"
        << "                        -timing-fps to 1000000/USEC (0: the fastest)\n"
        << "  -use-current-mode, -video-mode N  accepted; the display mode is never changed here\n"
        << "  -install, -noinstall, -visual V, -mono, -pair, -sync\n"
        << "                        XScreenSaver's own; accepted, nothing to change here\n"
        << "Each switch has a -no- form (-no-glasses, -no-sounds, ...).\n";
    return out.str();
}

}  // namespace vtl
