#pragma once
// Wave files for back ends that do not decode them themselves: RIFF/WAVE with
// uncompressed PCM, 8-bit (unsigned) or 16-bit (signed little-endian), mono or stereo.
// Everything else is refused, as are files whose chunks run past their end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtl {

struct PcmWave {
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 22050;
    std::uint16_t bitsPerSample = 16;
    std::vector<std::uint8_t> data;  // whole frames only

    std::size_t FrameBytes() const { return static_cast<std::size_t>(channels) * (bitsPerSample / 8); }
    std::size_t FrameCount() const { return FrameBytes() ? data.size() / FrameBytes() : 0; }
};

inline constexpr std::uint32_t kWaveRateMin = 100;
inline constexpr std::uint32_t kWaveRateMax = 200000;

std::optional<PcmWave> ParsePcmWave(const std::uint8_t* bytes, std::size_t size);

// One channel of signed 16-bit samples; stereo is mixed down by averaging, as a
// positional voice has a single source.
std::vector<std::int16_t> ToMono16(const PcmWave& wave);

// DirectMusic's music time: 768 ticks a quarter note, at 120 quarter notes a minute
// unless a performance is told otherwise (a wave segment carries no tempo).
inline constexpr std::uint32_t kMusicTicksPerQuarter = 768;
inline constexpr double kDefaultTempo = 120.0;

// How long the wave lasts in music time at `tempo`, rounded, never less than one tick:
// the length a wave segment needs so that its repeats follow each other instead of
// starting the sound again one tick later.
std::int32_t WaveMusicTimeLength(const PcmWave& wave, double tempo = kDefaultTempo);

// A wave file read whole by this reader, for the back ends that play it themselves or
// need its length. Others may read the file meanwhile (a platform loader may hold it
// open). Nothing when it cannot be read, is larger than any sound the saver plays, or
// is not a PCM wave.
std::optional<PcmWave> ReadPcmWaveFile(const std::string& path);

// The wave as a file: RIFF header, a 16-byte "fmt " chunk and the "data" chunk.
std::vector<std::uint8_t> BuildPcmWave(const PcmWave& wave);

}  // namespace vtl
