#pragma once
// The Doppler shift of a moving source heard by a listener at rest at the origin, for
// back ends whose mixer does not apply it (Wine's DirectSound ignores velocities).
namespace vtl {

// Metres per second, DirectSound's figure; world units are metres.
inline constexpr float kSpeedOfSound = 343.3f;

// The factor by which the pitch rises (> 1 while the source comes closer). Velocities
// count dopplerFactor times (0 none, 1 natural). The approach speed is held below half
// the speed of sound, so the factor stays within 0.5 .. 2.
float DopplerPitchRatio(const float position[3], const float velocity[3], float dopplerFactor);

}  // namespace vtl
