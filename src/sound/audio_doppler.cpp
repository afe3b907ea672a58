#include "sound/audio_doppler.h"

#include <algorithm>
#include <cmath>

namespace vtl {

float DopplerPitchRatio(const float position[3], const float velocity[3], float dopplerFactor) {
    const double distance = std::sqrt(double(position[0]) * position[0] + double(position[1]) * position[1] +
                                      double(position[2]) * position[2]);
    if (distance < 1e-6 || dopplerFactor <= 0) return 1.0f;
    // Speed towards the listener: the velocity along the line from the source to the origin.
    const double towards =
        -(double(velocity[0]) * position[0] + double(velocity[1]) * position[1] + double(velocity[2]) * position[2]) /
        distance;
    const double c = kSpeedOfSound;
    const double v = std::clamp(towards * dopplerFactor, -c, c / 2);
    return static_cast<float>(c / (c - v));
}

}  // namespace vtl
