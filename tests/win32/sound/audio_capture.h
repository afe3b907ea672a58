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

#include "formats/wavefile.h"
#include "support/sound_measure.h"

namespace vtl::soundtest {

using soundmeasure::Capture;
using soundmeasure::kCaptureRate;
using soundmeasure::Tone;

// The capture file's path as Windows sees it, empty when no capture is set up.
std::string CapturePath();
std::uint64_t CaptureMark();
Capture ReadCapture(std::uint64_t from);

// A fresh private folder for test files and a wave file written into it.
std::string TestFolder();
std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave);

}  // namespace vtl::soundtest
