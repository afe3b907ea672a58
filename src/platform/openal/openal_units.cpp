#include "platform/openal/openal_units.h"

#include <algorithm>
#include <cmath>

#include "sound/audio_doppler.h"

namespace vtl::openal {

float GainOfVolume(std::int32_t volume) {
    // Negated in 64 bits: the most negative volume has no positive twin in 32.
    const std::int64_t level = volume > 0 ? -std::int64_t(volume) : std::int64_t(volume);
    if (level <= kSilentVolume) return 0.0f;
    return static_cast<float>(std::pow(10.0, double(level) / 2000.0));
}

AlVector ToOpenALSpace(const float v[3]) { return {v[0], v[1], -v[2]}; }

void DopplerVelocity(const float position[3], const float velocity[3], float dopplerFactor, float out[3]) {
    if (!(dopplerFactor > 0)) {
        out[0] = out[1] = out[2] = 0;
        return;
    }
    double v[3] = {double(velocity[0]) * dopplerFactor, double(velocity[1]) * dopplerFactor,
                   double(velocity[2]) * dopplerFactor};
    const double distance = std::sqrt(double(position[0]) * position[0] + double(position[1]) * position[1] +
                                      double(position[2]) * position[2]);
    // At the listener there is no line to move along, and OpenAL shifts nothing there.
    if (distance >= 1e-6) {
        const double unit[3] = {position[0] / distance, position[1] / distance, position[2] / distance};
        const double towards = -(v[0] * unit[0] + v[1] * unit[1] + v[2] * unit[2]);
        const double c = kSpeedOfSound;
        // Adding k along the outward line lowers the approach speed by k.
        const double excess = towards - std::clamp(towards, -c, c / 2);
        for (int i = 0; i < 3; ++i) v[i] += excess * unit[i];
    }
    for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(v[i]);
}

}  // namespace vtl::openal
