#include "audio_harness.h"

#include "platform/openal/openal_audio.h"

namespace vtl::heard {

void HeardBackEnd::SetUp() {
    altest::UseCaptureDevice();
    audio = openal::CreateOpenALAudio();
    folder = altest::TestFolder();
}

std::string HeardBackEnd::WriteWave(const std::string& name, const PcmWave& wave) {
    return altest::WriteWave(folder, name, wave);
}

std::uint64_t HeardBackEnd::Mark() { return altest::CaptureMark(); }

bool HeardBackEnd::Run(std::uint64_t mark, double seconds) {
    return altest::WaitForFrames(mark, seconds * soundmeasure::kCaptureRate);
}

soundmeasure::Capture HeardBackEnd::Read(std::uint64_t mark) { return altest::ReadCapture(mark); }

soundmeasure::Capture HeardBackEnd::ReadAfterItEnds(std::uint64_t mark, double quietSeconds) {
    return altest::ReadAfterItEnds(mark, quietSeconds * soundmeasure::kCaptureRate);
}

}  // namespace vtl::heard
