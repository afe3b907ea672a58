#pragma once
// The Doppler shift from first principles, as the oracle that every back end's pitch is
// checked against. It is written out here on purpose, without the sound system's own
// function or constants: a test that compared a back end with the function under test
// would pass whatever that function got wrong.
//
//   f' / f = (c + v_listener) / (c - v_source)
//
// with both speeds taken along the line of sight, each positive toward the other party.
// The speed of sound is 343.3 m/s, and the sound system's world units are metres
// (DirectSound's default distance factor of one metre per unit). The Doppler factor
// scales the shift as DirectSound's does: the speeds count `factor` times (0 none, 1 the
// natural shift). Every back end promises a pitch within 0.5 .. 2, so the result is held
// there; a source that would reach the listener at or above the speed of sound gives 2.
#include <algorithm>
#include <cmath>

namespace vtl::physics {

inline constexpr double kMetresPerWorldUnit = 1.0;
inline constexpr double kSpeedOfSoundMetresPerSecond = 343.3;
inline constexpr double kSpeedOfSoundUnitsPerSecond = kSpeedOfSoundMetresPerSecond / kMetresPerWorldUnit;
inline constexpr double kLowestPitch = 0.5;
inline constexpr double kHighestPitch = 2.0;

struct Vec {
    double x, y, z;
};

inline double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Pitch ratio heard by a listener at `listener` moving with `listenerVelocity` from a
// source at `source` moving with `sourceVelocity`.
inline double PitchRatio(const Vec& source, const Vec& sourceVelocity, const Vec& listener, const Vec& listenerVelocity,
                         double factor) {
    const Vec toListener{listener.x - source.x, listener.y - source.y, listener.z - source.z};
    const double distance = std::sqrt(Dot(toListener, toListener));
    // Where the two meet there is no line of sight, and no shift.
    if (distance < 1e-9 || factor <= 0) return 1.0;
    const Vec unit{toListener.x / distance, toListener.y / distance, toListener.z / distance};
    const double sourceTowardListener = factor * Dot(sourceVelocity, unit);
    const double listenerTowardSource = -factor * Dot(listenerVelocity, unit);
    const double c = kSpeedOfSoundUnitsPerSecond;
    if (c - sourceTowardListener <= 0) return kHighestPitch;
    const double ratio = (c + listenerTowardSource) / (c - sourceTowardListener);
    return std::clamp(ratio, kLowestPitch, kHighestPitch);
}

// The sound system's case: the listener rests at the origin.
inline double PitchRatio(const float position[3], const float velocity[3], double factor) {
    return PitchRatio({position[0], position[1], position[2]}, {velocity[0], velocity[1], velocity[2]}, {0, 0, 0},
                      {0, 0, 0}, factor);
}

}  // namespace vtl::physics
