#include "formats/wavefile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/files.h"

namespace vtl {
namespace {

// No sound the saver plays comes near this; a larger file is not one of its waves.
constexpr std::uint64_t kMaxWaveFileBytes = 256u << 20;

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::size_t kChunkHeader = 8;

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
bool IsId(const std::uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
void PutId(std::vector<std::uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }

}  // namespace

std::optional<PcmWave> ParsePcmWave(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size < 12 || !IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE")) return std::nullopt;
    // The RIFF size is not trusted: writers often leave it wrong. The chunks are walked
    // up to the real end of the file instead, and every chunk must fit inside it.
    const std::uint8_t* fmt = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t fmtSize = 0, dataSize = 0;
    std::size_t at = 12;
    while (size - at >= kChunkHeader) {
        const std::uint8_t* chunk = bytes + at;
        const std::size_t chunkSize = Read32(chunk + 4);
        if (chunkSize > size - at - kChunkHeader) return std::nullopt;
        if (IsId(chunk, "fmt ") && !fmt) {
            fmt = chunk + kChunkHeader;
            fmtSize = chunkSize;
        } else if (IsId(chunk, "data") && !data) {
            data = chunk + kChunkHeader;
            dataSize = chunkSize;
        }
        at += kChunkHeader + chunkSize;
        if (chunkSize % 2 && at < size) ++at;  // chunks are padded to an even length
    }
    if (!fmt || !data || fmtSize < 16) return std::nullopt;

    PcmWave wave;
    const std::uint16_t format = Read16(fmt);
    wave.channels = Read16(fmt + 2);
    wave.sampleRate = Read32(fmt + 4);
    const std::uint16_t blockAlign = Read16(fmt + 12);
    wave.bitsPerSample = Read16(fmt + 14);
    if (format != kFormatPcm || (wave.channels != 1 && wave.channels != 2) ||
        (wave.bitsPerSample != 8 && wave.bitsPerSample != 16) || blockAlign != wave.FrameBytes() ||
        wave.sampleRate < kWaveRateMin || wave.sampleRate > kWaveRateMax)
        return std::nullopt;
    const std::size_t whole = dataSize - dataSize % blockAlign;
    wave.data.assign(data, data + whole);
    return wave;
}

std::vector<std::int16_t> ToMono16(const PcmWave& wave) {
    const std::size_t frames = wave.FrameCount();
    std::vector<std::int16_t> out(frames);
    const std::uint8_t* p = wave.data.data();
    for (std::size_t i = 0; i < frames; ++i) {
        int sum = 0;
        for (int c = 0; c < wave.channels; ++c) {
            if (wave.bitsPerSample == 8) {
                sum += (static_cast<int>(*p) - 128) * 256;
                p += 1;
            } else {
                sum += static_cast<std::int16_t>(Read16(p));
                p += 2;
            }
        }
        out[i] = static_cast<std::int16_t>(sum / wave.channels);
    }
    return out;
}

std::vector<std::uint8_t> BuildPcmWave(const PcmWave& wave) {
    std::vector<std::uint8_t> out;
    const auto dataSize = static_cast<std::uint32_t>(wave.data.size());
    out.reserve(44 + dataSize + 1);
    PutId(out, "RIFF");
    Put32(out, 36 + dataSize + dataSize % 2);
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, 16);
    Put16(out, kFormatPcm);
    Put16(out, wave.channels);
    Put32(out, wave.sampleRate);
    Put32(out, static_cast<std::uint32_t>(wave.sampleRate * wave.FrameBytes()));
    Put16(out, static_cast<std::uint16_t>(wave.FrameBytes()));
    Put16(out, wave.bitsPerSample);
    PutId(out, "data");
    Put32(out, dataSize);
    out.insert(out.end(), wave.data.begin(), wave.data.end());
    if (dataSize % 2) out.push_back(0);
    return out;
}

std::int32_t WaveMusicTimeLength(const PcmWave& wave, double tempo) {
    if (wave.sampleRate == 0 || !(tempo > 0)) return 1;
    const double seconds = double(wave.FrameCount()) / wave.sampleRate;
    const double ticks = std::round(seconds * tempo / 60.0 * kMusicTicksPerQuarter);
    // A wave of hours still fits: 2^31 ticks at 120 a minute is over 19 days.
    return static_cast<std::int32_t>(std::clamp(ticks, 1.0, 2147483647.0));
}

std::optional<PcmWave> ReadPcmWaveFile(const std::string& path) {
    const auto bytes = ReadWholeFile(path, kMaxWaveFileBytes, ReadSharing::ReadersAllowed);
    if (!bytes) return std::nullopt;
    return ParsePcmWave(bytes->data(), bytes->size());
}

}  // namespace vtl
