// The generator's own elementary functions and sound helpers, which decide
// whether the assets are the same everywhere and whether loops are seamless.
// Native builds only, where the generator is built.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "detmath.h"
#include "dsp.h"
#include "formats/wavefile.h"
#include "prng.h"

namespace {

using namespace vtl;

TEST(GeneratorMath, AgreesWithTheCLibraryAcrossTheRangesItIsUsedIn) {
    const double xs[] = {-2000.3, -700.0,    -40.1,     -6.5, -3.14159, -1.0, -0.7853981, -1e-9,   0.0,   1e-9,
                         0.5,     0.7853982, 1.5707963, 2.0,  3.14159,  4.7,  10.0,       123.456, 5000.0};
    for (double x : xs) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(det::Sin(x), std::sin(x), 1e-11);
        EXPECT_NEAR(det::Cos(x), std::cos(x), 1e-11);
        if (x > -700 && x < 700) {
            EXPECT_NEAR(det::Exp(x) / std::exp(x), 1.0, 1e-13);
        }
        if (x > 0) {
            EXPECT_NEAR(det::Log(x), std::log(x), 1e-13 * std::fmax(1.0, std::fabs(std::log(x))));
        }
    }
    EXPECT_NEAR(det::Pow(14.0, 0.8), std::pow(14.0, 0.8), 1e-12);
    EXPECT_EQ(det::Exp(-800.0), 0.0);
}

TEST(GeneratorRandom, RepeatsForASeedAndStaysInRange) {
    Prng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double u = a.Uniform();
        ASSERT_EQ(u, b.Uniform());
        differs |= u != c.Uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        const int k = a.Below(7);
        b.Below(7);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 7);
    }
    EXPECT_TRUE(differs);
}

// A loop filtered in place must equal the filter's steady output over the loop
// played on repeat: then its end runs into its start as the signal itself would.
TEST(GeneratorSound, FilteredLoopIsOnePeriodOfTheRepeatedLoop) {
    const dsp::Biquad filters[] = {dsp::LowPass(70, 0.6), dsp::BandPass(900, 0.8), dsp::HighPass(3000)};
    for (const dsp::Biquad& filter : filters) {
        Prng rng(7);
        const dsp::Signal noise = dsp::WhiteNoise(rng, 4000);
        dsp::Signal loop = noise;
        dsp::FilterLoop(loop, filter);
        dsp::Signal repeated;
        for (int k = 0; k < 6; ++k) repeated.insert(repeated.end(), noise.begin(), noise.end());
        dsp::Filter(repeated, filter);
        for (std::size_t i = 0; i < loop.size(); ++i) ASSERT_NEAR(loop[i], repeated[5 * noise.size() + i], 1e-9) << i;
    }
}

TEST(GeneratorSound, EventsPastTheLoopEndWrapToItsStart) {
    dsp::Signal loop(10, 0.0);
    dsp::AddWrapped(loop, {1, 2, 3, 4}, 8, 2.0);
    dsp::AddWrapped(loop, {5}, -1);
    EXPECT_EQ(loop, (dsp::Signal{6, 8, 0, 0, 0, 0, 0, 0, 2, 9}));
}

TEST(GeneratorSound, WaveSamplesRoundAndClampToSixteenBits) {
    const struct {
        double in;
        std::int16_t out;
    } kCases[] = {{0.0, 0},       {1.0, 32767}, {-1.0, -32767}, {2.5, 32767},
                  {-7.0, -32767}, {0.5, 16384}, {-0.5, -16383}, {1.0 / 32767, 1}};
    dsp::Signal signal;
    for (const auto& c : kCases) signal.push_back(c.in);
    const PcmWave wave = dsp::ToPcmWave(signal);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.bitsPerSample, 16);
    EXPECT_EQ(wave.sampleRate, static_cast<std::uint32_t>(dsp::kSampleRate));
    ASSERT_EQ(wave.FrameCount(), signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const auto sample = static_cast<std::int16_t>(wave.data[2 * i] | (wave.data[2 * i + 1] << 8));
        EXPECT_EQ(sample, kCases[i].out) << "input " << kCases[i].in;
    }
}

}  // namespace

#endif
