#pragma once
// The audio back end that the heard suite (shared/audio_heard_test.cpp) listens to in
// this program: DirectSound, whose output Wine's ALSA writes into the capture file
// (audio_capture.h). Wine's DirectMusic plays nothing, so it is not heard; its requests
// are compared with DirectSound's instead (backend_requests_test.cpp). Without a capture
// file the cases are skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "audio_capture.h"
#include "platform/audio.h"

namespace vtl::heard {

class HeardBackEnd : public ::testing::Test {
public:
    // How long after a stop or a new play Wine's mixer may still put out what it had
    // mixed before (about 90 ms measured).
    static constexpr double kSettleSeconds = 0.2;

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
