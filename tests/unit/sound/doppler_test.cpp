// The pitch the sound system gives a moving source, against the physical Doppler shift
// written out independently in support/doppler_physics.h.
#include "sound/audio_doppler.h"

#include <gtest/gtest.h>

#include "support/doppler_physics.h"

namespace vtl {
namespace {

// The oracle's own conventions, pinned to textbook figures, so that a sign slip in it
// cannot make it agree with a wrong formula.
TEST(DopplerPhysics, TextbookShiftsForASourceAndAListenerInMotion) {
    const double c = physics::kSpeedOfSoundUnitsPerSecond, tenth = c / 10;
    const physics::Vec origin{0, 0, 0}, rest{0, 0, 0}, away{10, 0, 0};
    struct Case {
        const char* what;
        physics::Vec sourceVelocity, listenerVelocity;
        double factor, ratio;
    };
    const Case cases[] = {
        {"source coming at a tenth of c", {tenth, 0, 0}, rest, 1, 1 / 0.9},
        {"source going at a tenth of c", {-tenth, 0, 0}, rest, 1, 1 / 1.1},
        {"listener coming at a tenth of c", rest, {-tenth, 0, 0}, 1, 1.1},
        {"listener going at a tenth of c", rest, {tenth, 0, 0}, 1, 0.9},
        {"both coming", {tenth, 0, 0}, {-tenth, 0, 0}, 1, 1.1 / 0.9},
        {"factor 2 counts the speed twice", {tenth, 0, 0}, rest, 2, 1 / 0.8},
        {"moving together: no shift", {tenth, 0, 0}, {tenth, 0, 0}, 1, 1.0},
        {"at the speed of sound: the top of the range", {c, 0, 0}, rest, 1, 2.0},
        {"receding faster than sound: the bottom", {-2 * c, 0, 0}, rest, 1, 0.5},
    };
    for (const Case& k : cases)
        EXPECT_NEAR(physics::PitchRatio(origin, k.sourceVelocity, away, k.listenerVelocity, k.factor), k.ratio, 1e-12)
            << k.what;
}

::testing::AssertionResult MatchesPhysics(const float position[3], const float velocity[3], float factor) {
    const double got = DopplerPitchRatio(position, velocity, factor);
    const double want = physics::PitchRatio(position, velocity, factor);
    if (std::abs(got - want) <= 2e-6 * want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << position[0] << ", " << position[1] << ", " << position[2]
                                         << ") moving (" << velocity[0] << ", " << velocity[1] << ", " << velocity[2]
                                         << ") factor " << factor << ": " << got << ", physics says " << want;
}

TEST(Doppler, PitchRisesTowardsTheListenerAndFallsAway) {
    // The bounds are worked by hand; the physical formula must land inside them too.
    struct Case {
        float pos[3], vel[3], factor;
        float lo, hi;
        const char* what;
    };
    const Case cases[] = {
        {{-10, 1, 0}, {0, 0, 0}, 7, 1.0f, 1.0f, "at rest"},
        {{-10, 1, 0}, {5, 0, 0}, 0, 1.0f, 1.0f, "factor 0"},
        {{0, 0, 0}, {5, 0, 0}, 7, 1.0f, 1.0f, "at the listener"},
        {{0, 0, 5}, {5, 0, 0}, 7, 1.0f, 1.0f, "passing sideways"},
        {{-10, 1, 0}, {5, 0, 0}, 7, 1.11f, 1.12f, "helicopter coming"},
        {{10, 1, 0}, {5, 0, 0}, 7, 0.90f, 0.91f, "helicopter going"},
        {{-10, 0, 0}, {5, 0, 0}, 1, 1.0146f, 1.0148f, "natural"},
        {{-10, 0, 0}, {1000, 0, 0}, 10, 2.0f, 2.0f, "held below half the speed of sound"},
        {{10, 0, 0}, {1000, 0, 0}, 10, 0.5f, 0.5f, "held going away"},
    };
    for (const Case& c : cases) {
        const float ratio = DopplerPitchRatio(c.pos, c.vel, c.factor);
        EXPECT_GE(ratio, c.lo) << c.what;
        EXPECT_LE(ratio, c.hi) << c.what;
        EXPECT_TRUE(MatchesPhysics(c.pos, c.vel, c.factor)) << c.what;
    }
}

TEST(Doppler, TheHelicopterSweepFollowsThePhysicalShiftAllTheWay) {
    // Its whole path, one unit above the listener, both ways, with the saver's factor.
    for (float x = -25; x <= 25; x += 0.25f) {
        for (float vx : {5.0f, -5.0f}) {
            const float position[3] = {x, 1, 0}, velocity[3] = {vx, 0, 0};
            EXPECT_TRUE(MatchesPhysics(position, velocity, 7));
        }
    }
}

TEST(Doppler, AnyDirectionAndFactorFollowThePhysicalShift) {
    struct Case {
        float position[3], velocity[3];
    };
    const Case cases[] = {
        {{0, 0, 10}, {0, 0, -5}},    {{0, 0, 10}, {0, 0, 5}},     {{3, -2, 7}, {-4, 9, 2}},
        {{-1, 4, -8}, {20, -3, 11}}, {{0.5f, 0, 0}, {-60, 0, 0}}, {{-7, -7, -7}, {100, 100, 100}},
        {{2, 0, 0}, {0, 40, 0}},     {{-10, 0, 0}, {300, 0, 0}},  {{10, 0, 0}, {300, 0, 0}},
    };
    for (const Case& c : cases)
        for (float factor : {0.0f, 0.5f, 1.0f, 2.5f, 7.0f, 10.0f})
            EXPECT_TRUE(MatchesPhysics(c.position, c.velocity, factor));
}

}  // namespace
}  // namespace vtl
