#include "scene/scene_overlay.h"

#include <cmath>

namespace vtl {

char DecimalSeparatorOf(const std::string& localeDecimal) {
    return localeDecimal.empty() ? '.' : localeDecimal.front();
}

float MeasureFrameRate(std::uint32_t frames, std::uint32_t elapsedMs) {
    return static_cast<float>(static_cast<double>(frames) * 1000.0 / static_cast<double>(elapsedMs));
}

std::string FormatFrameRate(float rate, char separator) {
    // Rounding is done here on the exact value rather than left to printf, whose ties
    // go to even on some runtimes and away from zero on others: 50.125 must read 50.13
    // everywhere. A float times a power of ten up to 100 is exact in a double.
    double value = static_cast<double>(rate);
    if (!(value > 0)) value = 0;  // also NaN
    int integerDigits = 1;
    for (double limit = 10; value >= limit && integerDigits < 20; limit *= 10) ++integerDigits;
    const int decimals = integerDigits >= 6 ? 0 : (integerDigits == 5 ? 1 : 2);
    const double scale = decimals == 2 ? 100 : (decimals == 1 ? 10 : 1);
    double hundredths = std::floor(value * scale + 0.5) * (100 / scale);
    // Rates this high cannot come from frames that each need a paint; keep them finite.
    if (hundredths > 1e18) hundredths = 1e18;
    const auto h = static_cast<std::uint64_t>(hundredths);
    const unsigned fraction = static_cast<unsigned>(h % 100);
    std::string text = std::to_string(h / 100);
    text += separator;
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text + " fps";
}

std::string FormatActivityTime(std::uint32_t seconds) {
    const std::uint32_t minutes = seconds / 60, rest = seconds % 60;
    return std::to_string(minutes) + (rest >= 10 ? "." : ".0") + std::to_string(rest);
}

}  // namespace vtl
