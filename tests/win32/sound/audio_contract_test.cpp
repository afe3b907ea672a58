// The two Windows back ends held to the audio seam's rules (shared/audio_contract.h),
// which FakeAudio and the OpenAL back end answer to as well. What a channel plays is
// read from the requests each back end makes of DirectSound 3D beneath it
// (audio_requests_replay.h): Wine's DirectMusic plays nothing that could be heard.
// Without an audio device a channel refuses every call, by design; the cases that play
// are skipped then.
#include <windows.h>

#include <gtest/gtest.h>

#include "audio_capture.h"
#include "audio_requests_replay.h"
#include "platform/win32/dmusic_audio.h"
#include "platform/win32/dsound_audio.h"
#include "shared/audio_contract.h"

namespace vtl {
namespace {

// Records every request from its making on; the back ends number their channels from 1.
class WindowsHarness {
public:
    static constexpr bool kObservesState = true;

    WindowsHarness() : folder_(soundtest::TestFolder()) {}
    bool CanPlay() const { return !soundtest::CapturePath().empty(); }
    std::string Folder() const { return folder_; }
    contract::Observed Observe(int channel) const {
        const soundtest::Heard heard = recorder_.Channel(channel);
        return {heard.sound, heard.plays, heard.volume};
    }

private:
    std::string folder_;
    soundtest::RequestRecorder recorder_;
};

class DirectSoundHarness : public WindowsHarness {
public:
    static constexpr bool kLoadsOnlyPcm = true;
    static constexpr bool kChecksDopplerRange = true;
    std::unique_ptr<TDirectAudio> Make() { return win32::CreateDirectSoundAudio(); }
};

// DirectMusic hands files and factors to the platform as they come: its loader decodes
// what it knows, and the listener of its audio path takes the factor. The real
// DirectSound listener refuses factors outside 0 .. 10; Wine's takes any.
class DirectMusicHarness : public WindowsHarness {
public:
    static constexpr bool kLoadsOnlyPcm = false;
    static constexpr const char* kWhyOtherFormats =
        "DirectMusic's own loader decodes the waves (Wine's takes float and cut-short waves too)";
    static constexpr bool kChecksDopplerRange = false;
    static constexpr const char* kWhyDopplerUnchecked =
        "DirectMusic hands the factor to its audio path's listener, which alone decides (Wine's takes any)";
    std::unique_ptr<TDirectAudio> Make() { return win32::CreateDirectMusicAudio(); }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(DirectSound, AudioContract, DirectSoundHarness);
INSTANTIATE_TYPED_TEST_SUITE_P(DirectMusic, AudioContract, DirectMusicHarness);
}  // namespace contract

}  // namespace vtl
