#include "platform/fake/fake_audio.h"

#include <cmath>

#include "formats/wavefile.h"
#include "platform/files.h"

namespace vtl {
namespace {

// What the real back ends refuse, with the platform's own result codes.
constexpr AudioResult kInvalidParam = static_cast<AudioResult>(0x80070057u);  // E_INVALIDARG
constexpr float kMaxDopplerFactor = 10.0f;
constexpr std::uint64_t kMaxWaveFileBytes = 256u << 20;

std::string FormatFloat(float value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

bool IsPcmWaveFile(const std::string& path) {
    const auto bytes = ReadWholeFile(path, kMaxWaveFileBytes);
    return bytes && ParsePcmWave(bytes->data(), bytes->size()).has_value();
}

class FakeSegment : public TDMSegment {
public:
    FakeSegment(FakeAudioWorld& world, const void* owner, std::string name)
        : world_(world), owner_(owner), name_(std::move(name)) {
        ++world_.liveSegments;
    }
    ~FakeSegment() override {
        --world_.liveSegments;
        world_.log.push_back("segment " + name_ + " destroy");
    }
    AudioResult SetRepeats(std::uint32_t count) override {
        repeats_ = count;
        world_.log.push_back("segment " + name_ + " repeats " +
                             (count == kRepeatForever ? std::string("forever") : std::to_string(count)));
        return kAudioOk;
    }
    const std::string& Name() const { return name_; }
    std::uint32_t Repeats() const { return repeats_; }
    const void* Owner() const { return owner_; }

private:
    FakeAudioWorld& world_;
    const void* owner_;
    std::string name_;
    std::uint32_t repeats_ = 1;
};

class FakeChannel : public TDMPerformance {
public:
    FakeChannel(FakeAudioWorld& world, const void* owner, std::size_t index)
        : world_(world), owner_(owner), index_(index), label_("ch" + std::to_string(index + 1)) {}
    ~FakeChannel() override {
        State().alive = false;
        world_.log.push_back(label_ + " destroy");
    }
    AudioResult DownloadSegment(TDMSegment& segment) override {
        auto* fake = Mine(segment);
        if (!fake) return kInvalidParam;
        State().downloaded.push_back(fake->Name());
        world_.log.push_back(label_ + " download " + fake->Name());
        return kAudioOk;
    }
    AudioResult PlaySegment(TDMSegment& segment) override {
        auto* fake = Mine(segment);
        if (!fake) return kInvalidParam;
        State().playing = fake->Name();
        State().playingRepeats = fake->Repeats();
        world_.log.push_back(label_ + " play " + fake->Name());
        return kAudioOk;
    }
    AudioResult Stop() override {
        State().playing.clear();
        world_.log.push_back(label_ + " stop");
        return kAudioOk;
    }
    AudioResult SetPosition(float x, float y, float z) override {
        Set(State().position, x, y, z);
        return kAudioOk;
    }
    AudioResult SetVelocity(float x, float y, float z) override {
        Set(State().velocity, x, y, z);
        return kAudioOk;
    }
    AudioResult SetDopplerFactor(float factor) override {
        // DirectSound's listener takes 0 .. 10 and nothing else (NaN included).
        if (!(factor >= 0 && factor <= kMaxDopplerFactor)) return kInvalidParam;
        State().doppler = factor;
        world_.log.push_back(label_ + " doppler " + FormatFloat(factor));
        return kAudioOk;
    }
    AudioResult SetVolume(std::int32_t volume) override {
        State().volume = volume > 0 ? -volume : volume;
        world_.log.push_back(label_ + " volume " + std::to_string(State().volume));
        return kAudioOk;
    }

private:
    static void Set(float* v, float x, float y, float z) {
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }
    FakeChannelState& State() { return world_.channels[index_]; }
    // A segment of another back end is refused, as the real ones refuse it.
    FakeSegment* Mine(TDMSegment& segment) {
        auto* fake = dynamic_cast<FakeSegment*>(&segment);
        return fake && fake->Owner() == owner_ ? fake : nullptr;
    }
    FakeAudioWorld& world_;
    const void* owner_;
    std::size_t index_;
    std::string label_;
};

class FakeAudio : public TDirectAudio {
public:
    explicit FakeAudio(FakeAudioWorld& world) : world_(world) {
        if (world_.failCreate) throw EDirectAudio(kMsgCannotCreateLoader);
        ++world_.liveAudios;
        world_.log.push_back("audio create");
    }
    ~FakeAudio() override {
        for (FakeChannel* channel : channels_) delete channel;
        --world_.liveAudios;
        world_.log.push_back("audio destroy");
    }
    TDMPerformance* CreatePerformance() override {
        const int number = static_cast<int>(world_.channels.size()) + 1;
        if (number == world_.failPerformanceNumber) {
            world_.log.push_back("ch" + std::to_string(number) + " create failed");
            throw EDirectAudio(kMsgCannotCreatePerformance);
        }
        world_.channels.emplace_back();
        channels_.push_back(new FakeChannel(world_, this, world_.channels.size() - 1));
        world_.log.push_back("ch" + std::to_string(number) + " create");
        return channels_.back();
    }
    std::unique_ptr<TDMSegment> LoadSegment(const std::string& fileName) override {
        world_.log.push_back("load " + fileName);
        const std::string name = FileNameOfPath(fileName);
        if (world_.failingFiles.count(name) || (world_.readWaveFiles && !IsPcmWaveFile(fileName)))
            throw EDirectAudio(FormatMessage1(kMsgCannotCreateSegment, fileName));
        return std::make_unique<FakeSegment>(world_, this, name);
    }
    void StopAll() override {
        world_.log.push_back("stop all");
        for (FakeChannel* channel : channels_) channel->Stop();
    }

private:
    FakeAudioWorld& world_;
    std::vector<FakeChannel*> channels_;
};

}  // namespace

AudioFactory FakeAudioWorld::Factory() {
    return [this] { return std::unique_ptr<TDirectAudio>(new FakeAudio(*this)); };
}

}  // namespace vtl
