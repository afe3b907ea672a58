#include "audio_harness.h"

#include <windows.h>

#include <cmath>

#include "platform/win32/dsound_audio.h"

namespace vtl::heard {
namespace {

constexpr std::uint64_t kFrameBytes = 8;  // two 32-bit floats
// The capture keeps up with real time only roughly on a busy machine: waits are long
// and bounded, and never part of a measurement.
constexpr DWORD kPatienceMs = 30000;
constexpr DWORD kPollMs = 10;

}  // namespace

void HeardBackEnd::SetUp() {
    if (soundtest::CapturePath().empty()) GTEST_SKIP() << "no capture of the audio output in this run";
    audio = win32::CreateDirectSoundAudio();
    folder = soundtest::TestFolder();
}

std::string HeardBackEnd::WriteWave(const std::string& name, const PcmWave& wave) {
    return soundtest::WriteWave(folder, name, wave);
}

std::uint64_t HeardBackEnd::Mark() { return soundtest::CaptureMark(); }

bool HeardBackEnd::Run(std::uint64_t mark, double seconds) {
    const std::uint64_t target = mark + std::uint64_t(seconds * soundmeasure::kCaptureRate) * kFrameBytes;
    const DWORD start = GetTickCount();
    while (soundtest::CaptureMark() < target) {
        if (GetTickCount() - start > kPatienceMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

soundmeasure::Capture HeardBackEnd::Read(std::uint64_t mark) { return soundtest::ReadCapture(mark); }

soundmeasure::Capture HeardBackEnd::ReadAfterItEnds(std::uint64_t mark, double quietSeconds) {
    const double quietFrames = quietSeconds * soundmeasure::kCaptureRate;
    const DWORD start = GetTickCount();
    for (;;) {
        soundmeasure::Capture capture = soundtest::ReadCapture(mark);
        std::size_t last = 0;
        bool sounded = false;
        for (std::size_t i = 0; i < capture.left.size(); ++i)
            if (std::fabs(capture.left[i]) + std::fabs(capture.right[i]) > 1e-3f) last = i, sounded = true;
        if ((sounded && double(capture.left.size() - last) >= quietFrames) || GetTickCount() - start > kPatienceMs)
            return capture;
        Sleep(50);
    }
}

}  // namespace vtl::heard
