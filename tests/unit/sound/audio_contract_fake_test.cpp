// FakeAudio held to the audio seam's rules (shared/audio_contract.h), which the real back
// ends answer to in the Linux and Windows tests. The fake reads its files here as the
// real ones do; the sound system's own tests leave that off and name files that are not
// there.
#include "shared/audio_contract.h"

#include <filesystem>

#include "platform/fake/fake_audio.h"

namespace vtl {
namespace {

class FakeAudioHarness {
public:
    static constexpr bool kLoadsOnlyPcm = true;
    static constexpr bool kChecksDopplerRange = true;
    static constexpr bool kObservesState = true;

    FakeAudioHarness() {
        world_.readWaveFiles = true;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() / (std::string("vtl_fake_audio_") + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~FakeAudioHarness() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    FakeAudioHarness(const FakeAudioHarness&) = delete;
    FakeAudioHarness& operator=(const FakeAudioHarness&) = delete;

    std::unique_ptr<TDirectAudio> Make() { return world_.Factory()(); }
    bool CanPlay() const { return true; }
    std::string Folder() const { return folder_.u8string(); }
    contract::Observed Observe(int channel) const {
        const FakeChannelState& state = world_.channels.at(static_cast<std::size_t>(channel - 1));
        return {state.playing, state.playing.empty() ? "" : contract::PlaysOf(state.playingRepeats), state.volume};
    }

private:
    FakeAudioWorld world_;
    std::filesystem::path folder_;
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(FakeAudio, AudioContract, FakeAudioHarness);
}  // namespace contract

}  // namespace vtl
