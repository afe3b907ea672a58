#pragma once
// Measuring what an audio back end played, as captured from its output (Wine's ALSA
// file, OpenAL Soft's wave writer): both capture 32-bit float stereo at 48 kHz. Only
// levels, balance, pitch and frame counts are measured, never durations in wall time,
// since neither capture keeps real time.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/wavefile.h"

namespace vtl::soundmeasure {

inline constexpr double kCaptureRate = 48000;

struct Capture {
    std::vector<float> left, right;
    // Root mean square over the frames that carry sound (silence before a play starts
    // and after it ends is left out).
    double LevelLeft() const;
    double LevelRight() const;
    std::size_t SoundingFrames(float threshold = 1e-3f) const;
    // The tone's frequency from the zero crossings of left + right over the sounding part.
    double ToneFrequency() const;
};

// A mono 16-bit sine tone.
PcmWave Tone(double frequency, double seconds, std::uint32_t rate = 22050, double amplitude = 0.5);

}  // namespace vtl::soundmeasure
