#include "platform/errors.h"

namespace vtl {

std::string FormatMessage1(const char* pattern, const std::string& value) {
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

}  // namespace vtl
