#pragma once
// Listening to the audio back ends under Wine: ALSA writes everything Wine plays into
// one raw file (32-bit float, stereo, 48 kHz, no header) named by VTL_SOUND_CAPTURE
// or, inside the test bed, WINEBED_CAPTURE.
// A check marks the file's end, plays, and reads what was appended since. The file
// output does not keep real time, so only levels, balance, pitch and sample counts
// are measured, never durations in wall time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/wavefile.h"

namespace vtl::soundtest {

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

// The capture file's path as Windows sees it, empty when no capture is set up.
std::string CapturePath();
std::uint64_t CaptureMark();
Capture ReadCapture(std::uint64_t from);

// A mono 16-bit sine tone.
PcmWave Tone(double frequency, double seconds, std::uint32_t rate = 22050, double amplitude = 0.5);
// A fresh private folder for test files and a wave file written into it.
std::string TestFolder();
std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave);

}  // namespace vtl::soundtest
