#include "formats/wavefile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace vtl {
namespace {

PcmWave MakeWave(std::uint16_t channels, std::uint16_t bits, std::vector<std::uint8_t> data) {
    PcmWave wave;
    wave.channels = channels;
    wave.bitsPerSample = bits;
    wave.sampleRate = 22050;
    wave.data = std::move(data);
    return wave;
}

std::optional<PcmWave> Parse(const std::vector<std::uint8_t>& bytes) {
    return ParsePcmWave(bytes.data(), bytes.size());
}

void Put32At(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(WaveFile, EveryPcmLayoutSurvivesARoundTrip) {
    for (std::uint16_t channels : {1, 2}) {
        for (std::uint16_t bits : {8, 16}) {
            const PcmWave wave = MakeWave(channels, bits, {1, 2, 3, 4, 5, 6, 7, 8});
            const auto parsed = Parse(BuildPcmWave(wave));
            ASSERT_TRUE(parsed) << channels << "ch " << bits << " bit";
            EXPECT_EQ(parsed->channels, channels);
            EXPECT_EQ(parsed->bitsPerSample, bits);
            EXPECT_EQ(parsed->sampleRate, 22050u);
            EXPECT_EQ(parsed->data, wave.data);
        }
    }
}

TEST(WaveFile, OtherChunksPaddingAndPartFramesAreHandled) {
    std::vector<std::uint8_t> bytes = BuildPcmWave(MakeWave(2, 16, {1, 2, 3, 4, 5, 6, 7}));  // 1.75 frames
    // An odd-sized chunk with its pad byte in front of "fmt ", and a wrong RIFF size.
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 12, std::begin(list), std::end(list));
    Put32At(bytes, 4, 0xFFFFFFFF);
    const auto parsed = Parse(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(parsed->FrameCount(), 1u);
}

TEST(WaveFile, AnythingButPlainPcmOrAFileCutShortIsRefused) {
    const std::vector<std::uint8_t> good = BuildPcmWave(MakeWave(1, 16, {1, 2, 3, 4}));
    // Offsets in the canonical layout: 20 format, 22 channels, 24 rate, 32 block align,
    // 34 bits, 16 fmt size, 40 data size.
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
    };
    const Case cases[] = {
        {"not RIFF", [](auto& b) { b[0] = 'X'; }},
        {"not WAVE", [](auto& b) { b[8] = 'X'; }},
        {"float samples", [](auto& b) { b[20] = 3; }},
        {"compressed", [](auto& b) { b[20] = 2; }},
        {"three channels",
         [](auto& b) {
             b[22] = 3;
             b[32] = 6;
         }},
        {"24-bit",
         [](auto& b) {
             b[34] = 24;
             b[32] = 3;
         }},
        {"block align that disagrees", [](auto& b) { b[32] = 4; }},
        {"rate 0", [](auto& b) { Put32At(b, 24, 0); }},
        {"rate above the mixer's", [](auto& b) { Put32At(b, 24, 400000); }},
        {"data past the end", [](auto& b) { Put32At(b, 40, 5); }},
        {"fmt too short", [](auto& b) { Put32At(b, 16, 14); }},
        {"no data chunk", [](auto& b) { b[36] = 'X'; }},
        {"header only", [](auto& b) { b.resize(11); }},
        {"chunk header cut", [](auto& b) { b.resize(40); }},
    };
    ASSERT_TRUE(Parse(good));
    for (const Case& c : cases) {
        auto bytes = good;
        c.spoil(bytes);
        EXPECT_FALSE(Parse(bytes)) << c.what;
    }
    EXPECT_FALSE(ParsePcmWave(nullptr, 0));
}

TEST(WaveFile, MonoMixDownCoversBothSampleWidths) {
    EXPECT_EQ(ToMono16(MakeWave(1, 8, {0, 128, 255})), (std::vector<std::int16_t>{-32768, 0, 32512}));
    // Stereo 16-bit: (1000, -2000) and (-32768, -32768).
    EXPECT_EQ(ToMono16(MakeWave(2, 16, {0xE8, 0x03, 0x30, 0xF8, 0x00, 0x80, 0x00, 0x80})),
              (std::vector<std::int16_t>{-500, -32768}));
    EXPECT_EQ(ToMono16(MakeWave(2, 8, {255, 1})), (std::vector<std::int16_t>{0}));
}

TEST(WaveFile, MusicTimeLengthFollowsTheWaveAndTheTempo) {
    auto wave = [](std::uint32_t rate, std::size_t frames, std::uint16_t channels) {
        PcmWave w;
        w.sampleRate = rate;
        w.channels = channels;
        w.data.assign(frames * w.FrameBytes(), 0);
        return w;
    };
    struct {
        const char* what;
        PcmWave wave;
        double tempo;
        std::int32_t ticks;
    } cases[] = {
        {"one second at 120", wave(22050, 22050, 1), 120, 1536},
        {"stereo counts frames, not samples", wave(22050, 22050, 2), 120, 1536},
        {"a tenth of a second rounds", wave(22050, 2205, 1), 120, 154},
        {"half the tempo, half the ticks", wave(44100, 44100, 1), 60, 768},
        {"an empty wave still lasts a tick", wave(22050, 0, 1), 120, 1},
        {"no rate", wave(0, 10, 1), 120, 1},
        {"no tempo", wave(22050, 22050, 1), 0, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(WaveMusicTimeLength(c.wave, c.tempo), c.ticks) << c.what;
}

}  // namespace
}  // namespace vtl
