// The seam's units in OpenAL's terms, checked without a device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/openal/openal_units.h"
#include "sound/audio_doppler.h"
#include "support/doppler_physics.h"

namespace vtl::openal {
namespace {

TEST(OpenALUnits, VolumeBecomesAGainThatNeverPassesFull) {
    struct Case {
        std::int32_t volume;
        double gain;
    };
    const Case cases[] = {
        {0, 1.0},
        {-600, 0.501187},
        {600, 0.501187},
        {-2000, 0.1},
        {-9999, 1.00115e-5},
        {kSilentVolume, 0},
        {-20000, 0},
        {std::numeric_limits<std::int32_t>::min(), 0},
        {std::numeric_limits<std::int32_t>::max(), 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(GainOfVolume(c.volume), c.gain, c.gain * 1e-3 + 1e-9) << c.volume;
}

TEST(OpenALUnits, TheZAxisTurnsRoundAndXStays) {
    const float v[3] = {1, 2, 3};
    const AlVector a = ToOpenALSpace(v);
    EXPECT_EQ(a.x, 1);
    EXPECT_EQ(a.y, 2);
    EXPECT_EQ(a.z, -3);
}

// The shift OpenAL 1.1 defines, for a listener at rest at the origin:
// f' = f (SS - DF vls) / (SS - DF vss), the speeds along the line from source to
// listener, each held at SS / DF. The back end sets DF to 1 and SS to kSpeedOfSound (and
// hands the channel's factor over in the velocity). Space is the sound system's here:
// the turned z axis changes neither the line nor the speed.
double OpenALPitch(const float position[3], const float velocity[3]) {
    const double d = std::sqrt(double(position[0]) * position[0] + double(position[1]) * position[1] +
                               double(position[2]) * position[2]);
    if (d < 1e-6) return 1;
    const double ss = kSpeedOfSound, df = 1, vls = 0;
    // The unit vector from the source to the listener is -position / d.
    const double vss =
        -(double(velocity[0]) * position[0] + double(velocity[1]) * position[1] + double(velocity[2]) * position[2]) /
        d;
    return (ss - df * std::min(vls, ss / df)) / (ss - df * std::min(vss, ss / df));
}

TEST(OpenALUnits, OpenALsDopplerGivesThePhysicalPitch) {
    struct Case {
        float position[3], velocity[3], factor;
    };
    const Case cases[] = {
        {{-10, 1, 0}, {5, 0, 0}, 7},     // the helicopter coming
        {{10, 1, 0}, {5, 0, 0}, 7},      // and going
        {{-25, 1, 0}, {5, 0, 0}, 7},     // at the end of its path
        {{0, 0, 10}, {0, 0, -5}, 1},     // from ahead
        {{3, -2, 7}, {-4, 9, 2}, 2.5f},  // anywhere
        {{-10, 0, 0}, {150, 0, 0}, 1},   // just below the bound
        {{-10, 0, 0}, {300, 0, 0}, 10},  // faster than the bound: 2
        {{10, 0, 0}, {300, 0, 0}, 10},   // receding beyond c: 0.5
        {{5, 0, 0}, {0, 0, 50}, 10},     // sideways: nothing
        {{-10, 1, 0}, {5, 0, 0}, 0},     // no Doppler
        {{0, 0, 0}, {5, 5, 5}, 7},       // at the listener
    };
    for (const Case& c : cases) {
        float scaled[3];
        DopplerVelocity(c.position, c.velocity, c.factor, scaled);
        EXPECT_NEAR(OpenALPitch(c.position, scaled), physics::PitchRatio(c.position, c.velocity, c.factor), 1e-4)
            << c.position[0] << " " << c.position[1] << " " << c.position[2] << " factor " << c.factor;
    }
}

}  // namespace
}  // namespace vtl::openal
