#pragma once
// Listening to the OpenAL back end: OpenAL Soft's wave writer stands in for the sound
// card and writes everything it mixes into a wave file (32-bit float, stereo, 48 kHz,
// plain amplitude panning). A check marks the file's end, plays, waits until enough
// frames have been written after the mark and reads them. The writer mixes on its own
// thread at roughly real time, so only levels, balance, pitch and frame counts are
// measured, never durations in wall time.
//
// OpenAL Soft reads its configuration once, at its first use in a process: the
// capture must be set up before anything opens a device, and a check that needs
// another configuration (no device, a device that fails) runs in a process of its own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/wavefile.h"
#include "support/sound_measure.h"

namespace vtl::altest {

using soundmeasure::Capture;
using soundmeasure::kCaptureRate;
using soundmeasure::Tone;

// Points this process's OpenAL Soft at a wave file of its own (once; later calls only
// return the path). Must come before the process's first OpenAL call.
const std::string& UseCaptureDevice();
// OpenAL Soft's configuration for the given wave file (empty: the writer cannot open,
// so there is no device at all), written into folder; its path.
std::string WriteAlsoftConfig(const std::string& folder, const std::string& waveFile);

// The capture file's size in bytes now.
std::uint64_t CaptureMark();
// Waits (a bounded time) until `frames` whole frames lie in the file past `mark`;
// false when they never came.
bool WaitForFrames(std::uint64_t mark, double frames);
// What was written after mark (from the first whole frame of sound data on).
Capture ReadCapture(std::uint64_t mark);
// Waits until something has sounded after mark and then `quietFrames` frames of
// silence have followed it (bounded); returns what was written after mark.
Capture ReadAfterItEnds(std::uint64_t mark, double quietFrames);

// A fresh private folder for test files (removed with its files when the process ends)
// and a wave file written into it.
std::string TestFolder();
std::string WriteFile(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes);
std::string WriteWave(const std::string& folder, const std::string& name, const PcmWave& wave);

}  // namespace vtl::altest
