// The OpenAL back end held to the audio seam's rules (shared/audio_contract.h), on OpenAL
// Soft's wave writer. What it plays is only heard, not read back: the heard suite
// (shared/audio_heard_test.cpp) measures repeats, replacing, stopping and volume.
#include "shared/audio_contract.h"

#include "openal_capture.h"
#include "platform/openal/openal_audio.h"

namespace vtl {
namespace {

class OpenALHarness {
public:
    static constexpr bool kLoadsOnlyPcm = true;
    static constexpr bool kChecksDopplerRange = true;
    static constexpr bool kObservesState = false;
    static constexpr const char* kWhyNotObserved =
        "OpenAL shows what a channel plays only in its output; the heard suite measures this";

    OpenALHarness() : folder_((altest::UseCaptureDevice(), altest::TestFolder())) {}
    std::unique_ptr<TDirectAudio> Make() { return openal::CreateOpenALAudio(); }
    bool CanPlay() const { return true; }
    std::string Folder() const { return folder_; }

private:
    std::string folder_;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(OpenAL, AudioContract, OpenALHarness);
}  // namespace contract

}  // namespace vtl
