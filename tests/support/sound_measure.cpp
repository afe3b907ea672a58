#include "support/sound_measure.h"

#include <algorithm>
#include <cmath>

namespace vtl::soundmeasure {
namespace {

double Level(const std::vector<float>& samples, const std::vector<float>& other) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) + std::fabs(other[i]) < 1e-4f) continue;
        sum += double(samples[i]) * samples[i];
        ++n;
    }
    return n ? std::sqrt(sum / n) : 0;
}

}  // namespace

double Capture::LevelLeft() const { return Level(left, right); }
double Capture::LevelRight() const { return Level(right, left); }

std::size_t Capture::SoundingFrames(float threshold) const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < left.size(); ++i) n += std::fabs(left[i]) + std::fabs(right[i]) > threshold ? 1 : 0;
    return n;
}

double Capture::ToneFrequency() const {
    std::size_t first = left.size(), last = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::fabs(left[i]) + std::fabs(right[i]) > 1e-3f) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first >= last) return 0;
    std::size_t crossings = 0, firstCrossing = 0, lastCrossing = 0;
    for (std::size_t i = first + 1; i <= last; ++i) {
        const float a = left[i - 1] + right[i - 1], b = left[i] + right[i];
        if ((a < 0) != (b < 0)) {
            if (!crossings) firstCrossing = i;
            lastCrossing = i;
            ++crossings;
        }
    }
    if (crossings < 3) return 0;
    return (crossings - 1) / 2.0 / ((lastCrossing - firstCrossing) / kCaptureRate);
}

PcmWave Tone(double frequency, double seconds, std::uint32_t rate, double amplitude) {
    PcmWave wave;
    wave.channels = 1;
    wave.bitsPerSample = 16;
    wave.sampleRate = rate;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    wave.data.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(
            std::lround(amplitude * 32767 * std::sin(2 * 3.14159265358979323846 * frequency * i / rate)));
        wave.data[2 * i] = static_cast<std::uint8_t>(v);
        wave.data[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
    }
    return wave;
}

}  // namespace vtl::soundmeasure
