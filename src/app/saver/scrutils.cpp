#include "app/saver/scrutils.h"

#include <cctype>
#include <cstdint>

namespace vtl {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> args;
    std::size_t at = 0;
    const std::size_t end = commandLine.size();
    while (true) {
        while (at < end && IsBlank(commandLine[at])) ++at;
        if (at >= end) break;
        std::string arg;
        bool quoted = false;
        for (; at < end && (quoted || !IsBlank(commandLine[at])); ++at) {
            if (commandLine[at] == '"')
                quoted = !quoted;
            else
                arg += commandLine[at];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::int32_t ParseHostWindow(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at == text.size()) return 0;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) return 0;
        value = value * 10 + (text[at] - '0');
        if (value > (std::int64_t{1} << 31)) return 0;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return 0;
    return static_cast<std::int32_t>(value);
}

ParsedCommandLine ParseRunMode(const std::string& commandLine) {
    ParsedCommandLine result;
    const auto args = SplitCommandLine(commandLine);
    if (args.size() < 2) return result;
    // The first character is the switch ("/" or "-"), whatever it is; only the one
    // letter after it counts. A one-character argument has no letter, and like every
    // other unrecognised switch it opens the settings: starting a full-screen saver or
    // a preview on a guess would be the surprising answer.
    const std::string& first = args[1];
    if (first.size() < 2) return result;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(first[1])));
    const bool hasSecond = args.size() >= 3;
    switch (letter) {
        case 'S': result.mode = rmSaver; break;
        case 'P':
            if (hasSecond) {
                result.mode = rmPreview;
                result.hostWindow = ParseHostWindow(args[2]);
            }
            break;
        case 'A':
            if (hasSecond) {
                result.mode = rmChangePassword;
                result.hostWindow = ParseHostWindow(args[2]);
            }
            break;
        default: break;
    }
    return result;
}

}  // namespace vtl
