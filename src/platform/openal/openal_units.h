#pragma once
// How the audio seam's units and space become OpenAL's. The sound system speaks
// DirectSound: volumes in hundredths of a decibel, left-handed coordinates with +x
// right, +y up and +z ahead of the listener, a Doppler factor per channel. OpenAL is
// right-handed with the listener looking down -z, and its Doppler factor is one per
// context.
#include <cstdint>

namespace vtl::openal {

// DirectSound's floor: this many hundredths of a decibel or fewer is silence.
inline constexpr std::int32_t kSilentVolume = -10000;

// The source gain for a channel volume: 10^(volume / 2000), a positive volume taken
// as its negative (never above full), kSilentVolume and below exactly 0.
float GainOfVolume(std::int32_t volume);

struct AlVector {
    float x, y, z;
};

// A point or direction of the sound system's space in OpenAL's: z turns round, so
// that +x stays on the listener's right and +z stays ahead.
AlVector ToOpenALSpace(const float v[3]);

// The velocity (still in the sound system's space) to give a source at `position` so
// that OpenAL's own Doppler model, with factor 1 and the listener at rest at the
// origin, shifts it by the ratio DopplerPitchRatio gives for `dopplerFactor`: the
// velocity counts dopplerFactor times, and its approach speed is held within
// -speed of sound .. +half of it, so the pitch stays within 0.5 .. 2 as on the other
// back ends. Only the part along the line to the listener is changed.
void DopplerVelocity(const float position[3], const float velocity[3], float dopplerFactor, float out[3]);

}  // namespace vtl::openal
