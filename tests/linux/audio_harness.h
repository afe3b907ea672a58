#pragma once
// The audio back end that the heard suite (shared/audio_heard_test.cpp) listens to in
// this program: OpenAL on OpenAL Soft's wave writer (openal_capture.h), which mixes at
// roughly real time on its own thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "openal_capture.h"
#include "platform/audio.h"

namespace vtl::heard {

class HeardBackEnd : public ::testing::Test {
public:
    // How long after a stop or a new play the writer may still put out what it had mixed
    // before.
    static constexpr double kSettleSeconds = 0.1;

    std::string WriteWave(const std::string& name, const PcmWave& wave);
    std::uint64_t Mark();
    // Waits (a bounded time) until `seconds` of output lie past mark; false when they never came.
    bool Run(std::uint64_t mark, double seconds);
    soundmeasure::Capture Read(std::uint64_t mark);
    // Waits until something has sounded after mark and `quietSeconds` of silence followed.
    soundmeasure::Capture ReadAfterItEnds(std::uint64_t mark, double quietSeconds);

    std::unique_ptr<TDirectAudio> audio;
    std::string folder;

protected:
    void SetUp() override;
};

}  // namespace vtl::heard
