#include <gtest/gtest.h>

#include <string>

#include "scene/scene_overlay.h"

namespace vtl {
namespace {

TEST(ActivityTimeText, MinutesThenTwoDigitSeconds) {
    const struct {
        std::uint32_t seconds;
        const char* text;
    } cases[] = {
        {1, "0.01"},  {7, "0.07"},    {9, "0.09"},     {10, "0.10"},    {59, "0.59"},
        {60, "1.00"}, {605, "10.05"}, {3600, "60.00"}, {3671, "61.11"}, {4294967295u, "71582788.15"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatActivityTime(c.seconds), c.text) << c.seconds;
}

TEST(FrameRateText, TwoDecimalsRoundedHalfAwayFromZero) {
    const struct {
        float rate;
        char separator;
        const char* text;
    } cases[] = {
        {50.0f, '.', "50.00 fps"},
        {50.0f, ',', "50,00 fps"},
        {59.94f, '.', "59.94 fps"},
        {0.0f, '.', "0.00 fps"},
        {0.5f, '.', "0.50 fps"},
        {50.125f, '.', "50.13 fps"},  // an exact tie in binary: away from zero, whatever the C runtime does
        {50.375f, '.', "50.38 fps"},
        {9.995f, '.', "9.99 fps"},  // the float lies just below the tie
        {999.999f, '.', "1000.00 fps"},
        {1000.0f, '.', "1000.00 fps"},
        {12345.678f, '.', "12345.70 fps"},  // six significant digits at most
        {123456.7f, '.', "123457.00 fps"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFrameRate(c.rate, c.separator), c.text) << c.rate;
}

TEST(FrameRateText, MeasuredOverTheElapsedTime) {
    EXPECT_EQ(FormatFrameRate(MeasureFrameRate(51, 1020), '.'), "50.00 fps");
    EXPECT_EQ(FormatFrameRate(MeasureFrameRate(61, 1001), '.'), "60.94 fps");
    // A long pause counts as one period with its average rate.
    EXPECT_EQ(FormatFrameRate(MeasureFrameRate(2, 60000), '.'), "0.03 fps");
}

TEST(DecimalSeparator, FirstCharacterOfTheLocaleSetting) {
    EXPECT_EQ(DecimalSeparatorOf(","), ',');
    EXPECT_EQ(DecimalSeparatorOf("."), '.');
    EXPECT_EQ(DecimalSeparatorOf(""), '.');
    EXPECT_EQ(DecimalSeparatorOf(",."), ',');
}

}  // namespace
}  // namespace vtl
