#pragma once
// The texts of the saver's two overlay lines: the measured frame rate and the time the
// saver has been running. Pure functions, so the rules can be checked without a device.
#include <cstdint>
#include <string>

namespace vtl {

// The character that separates the decimals, from the user's locale setting (its first
// character); "." when the setting is empty.
char DecimalSeparatorOf(const std::string& localeDecimal);

// frames * 1000 / elapsedMs, rounded to single precision. elapsedMs must not be 0.
float MeasureFrameRate(std::uint32_t frames, std::uint32_t elapsedMs);

// The rate with exactly two decimals after `separator`, rounded half away from zero to
// at most six significant digits, followed by " fps": 50 gives "50.00 fps".
std::string FormatFrameRate(float rate, char separator);

// Minutes and seconds as "M.SS", minutes not folded into hours: 605 gives "10.05".
// The point is a fixed glyph here, not the locale's separator.
std::string FormatActivityTime(std::uint32_t seconds);

}  // namespace vtl
