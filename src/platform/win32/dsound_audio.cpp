// DirectSound 8 back end of the audio seam. Implements: waves read and mixed down to
// mono 16-bit by the project's reader; one DirectSound object per channel with its
// primary buffer's listener; one 3D secondary buffer per play with position, velocity,
// volume and the channel's Doppler factor; repeat counts; replacing and stopping.
// Leaves out: hardware voices, effects, cones and distance models other than the
// default, and any wave format but PCM 8/16-bit mono/stereo.
//
// Repeats: a play of n repeats fills one buffer with n + 1 copies of the wave and plays
// it once; forever loops a single copy. There is no thread, timer or notification to
// keep in step, the copies join without a gap, and the only repeat count in use beyond
// forever is 2 (three short street sounds). Counts whose buffer would pass kMaxVoiceBytes
// are refused with DSERR_OUTOFMEMORY.
//
// Doppler: Wine's DirectSound ignores velocities, and mixers that honour them differ.
// The shift is therefore computed here (DopplerPitchRatio) and set as the voice's
// playback rate; the real listener's Doppler factor is kept at 0 so no mixer adds its
// own on top.
#include "platform/win32/dsound_audio.h"

#include <windows.h>
#include <objbase.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/hooks/faults.h"
#include "sound/audio_doppler.h"
#include "platform/hooks/audio_requests.h"
#include "platform/files.h"
#include "formats/wavefile.h"

namespace vtl::win32 {
namespace {

constexpr GUID kClsidDirectSound8 = {0x3901CC3F, 0x84B5, 0x4FA4, {0xBA, 0x35, 0xAA, 0x81, 0x72, 0xB8, 0xA0, 0x9B}};
constexpr GUID kIidDirectSound8 = {0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};
constexpr GUID kIidSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID kIidSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID kGuidNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

constexpr std::uint64_t kMaxVoiceBytes = 64u << 20;
constexpr float kMaxDopplerFactor = 10.0f;
constexpr AudioResult kNoAudio = static_cast<AudioResult>(DSERR_UNINITIALIZED);

template <typename T>
void ReleaseRef(T*& ref) {
    if (ref) {
        ref->Release();
        ref = nullptr;
    }
}

class DSoundAudio;

class DSoundSegment final : public TDMSegment {
public:
    DSoundSegment(const DSoundAudio& owner, std::vector<std::int16_t> samples, std::uint32_t rate, std::string name)
        : owner_(owner), samples_(std::move(samples)), rate_(rate), name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    AudioResult SetRepeats(std::uint32_t count) override {
        repeats_ = count;
        return DS_OK;
    }
    const DSoundAudio& Owner() const { return owner_; }
    const std::vector<std::int16_t>& Samples() const { return samples_; }
    std::uint32_t Rate() const { return rate_; }
    std::uint32_t Repeats() const { return repeats_; }

private:
    const DSoundAudio& owner_;
    std::vector<std::int16_t> samples_;
    std::uint32_t rate_;
    std::string name_;
    std::uint32_t repeats_ = 1;
};

class DSoundChannel final : public TDMPerformance {
public:
    explicit DSoundChannel(DSoundAudio& owner) : owner_(owner) {}
    ~DSoundChannel() override;
    void Init();

    // Nothing to prepare: the voice is made at play, when the repeat count is final.
    AudioResult DownloadSegment(TDMSegment& segment) override {
        if (!Mine(segment)) return DSERR_INVALIDPARAM;
        return ready_ ? DS_OK : kNoAudio;
    }
    AudioResult PlaySegment(TDMSegment& segment) override;
    AudioResult Stop() override {
        if (ready_ && AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "stop"));
        ReleaseVoice();
        return ready_ ? DS_OK : kNoAudio;
    }
    AudioResult SetPosition(float x, float y, float z) override {
        position_[0] = x, position_[1] = y, position_[2] = z;
        const HRESULT hr = voice3D_ ? VoicePosition() : DS_OK;
        ApplyPitch();
        return ready_ ? hr : kNoAudio;
    }
    AudioResult SetVelocity(float x, float y, float z) override {
        velocity_[0] = x, velocity_[1] = y, velocity_[2] = z;
        const HRESULT hr = voice3D_ ? VoiceVelocity() : DS_OK;
        ApplyPitch();
        return ready_ ? hr : kNoAudio;
    }
    AudioResult SetDopplerFactor(float factor) override {
        if (!(factor >= 0 && factor <= kMaxDopplerFactor)) return DSERR_INVALIDPARAM;
        doppler_ = factor;
        ApplyPitch();
        return ready_ ? DS_OK : kNoAudio;
    }
    AudioResult SetVolume(std::int32_t volume) override {
        volume_ = std::max<LONG>(volume <= 0 ? volume : -volume, DSBVOLUME_MIN);
        const HRESULT hr = voice_ ? VoiceVolume() : DS_OK;
        return ready_ ? hr : kNoAudio;
    }

    bool Ready() const { return ready_ && listener_; }

private:
    const DSoundSegment* Mine(TDMSegment& segment) const;
    void ReleaseVoice() {
        if (voice_) voice_->Stop();
        ReleaseRef(voice3D_);
        ReleaseRef(voice_);
    }
    void ApplyPitch() {
        if (!voice_) return;
        const double rate = std::round(voiceRate_ * double(DopplerPitchRatio(position_, velocity_, doppler_)));
        const auto frequency = static_cast<DWORD>(std::clamp(rate, double(DSBFREQUENCY_MIN), double(DSBFREQUENCY_MAX)));
        if (AudioRequestsRecorded())
            RecordAudioRequest(AudioRequestLine(number_, "frequency", {double(frequency)}) + " rate " +
                               std::to_string(voiceRate_));
        voice_->SetFrequency(frequency);
    }
    // The voice's requests, recorded where they are made.
    HRESULT VoicePosition() {
        if (AudioRequestsRecorded())
            RecordAudioRequest(AudioRequestLine(number_, "position", {position_[0], position_[1], position_[2]}));
        return voice3D_->SetPosition(position_[0], position_[1], position_[2], DS3D_IMMEDIATE);
    }
    HRESULT VoiceVelocity() {
        if (AudioRequestsRecorded())
            RecordAudioRequest(AudioRequestLine(number_, "velocity", {velocity_[0], velocity_[1], velocity_[2]}));
        return voice3D_->SetVelocity(velocity_[0], velocity_[1], velocity_[2], DS3D_IMMEDIATE);
    }
    HRESULT VoiceVolume() {
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "volume", {double(volume_)}));
        return voice_->SetVolume(volume_);
    }

    DSoundAudio& owner_;
    IDirectSound8* sound_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    IDirectSound3DListener* listener_ = nullptr;
    IDirectSoundBuffer* voice_ = nullptr;
    IDirectSound3DBuffer* voice3D_ = nullptr;
    bool ready_ = false;
    float position_[3] = {0, 0, 0};
    float velocity_[3] = {0, 0, 0};
    float doppler_ = 1.0f;
    LONG volume_ = 0;
    std::uint32_t voiceRate_ = 0;
    int number_ = 0;
};

class DSoundAudio final : public TDirectAudio {
public:
    ~DSoundAudio() override {
        while (!channels_.empty()) delete channels_.front();
        if (comResult_ == S_OK) CoUninitialize();
    }
    void Init() {
        comResult_ = CoInitialize(nullptr);
        if (comResult_ == S_FALSE) CoUninitialize();
        if (comResult_ != S_OK && comResult_ != S_FALSE) throw EGeneral(kMsgCannotInitCom);
    }
    TDMPerformance* CreatePerformance() override {
        auto channel = std::make_unique<DSoundChannel>(*this);
        channel->Init();
        return channel.release();
    }
    std::unique_ptr<TDMSegment> LoadSegment(const std::string& fileName) override {
        const std::optional<PcmWave> wave = ReadPcmWaveFile(fileName);
        if (!wave) throw EDirectAudio(FormatMessage1(kMsgCannotCreateSegment, fileName));
        return std::make_unique<DSoundSegment>(*this, ToMono16(*wave), wave->sampleRate, FileNameOfPath(fileName));
    }
    void StopAll() override {
        for (DSoundChannel* channel : channels_) channel->Stop();
    }
    bool ChannelComesUp() {
        auto trial = std::make_unique<DSoundChannel>(*this);
        trial->Init();
        const bool ready = trial->Ready();
        trial.reset();
        --channelsMade_;  // the real channels count from 1
        return ready;
    }

    std::vector<DSoundChannel*> channels_;
    int channelsMade_ = 0;
    HRESULT comResult_ = E_FAIL;
};

DSoundChannel::~DSoundChannel() {
    auto& list = owner_.channels_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    ReleaseVoice();
    ReleaseRef(listener_);
    ReleaseRef(primary_);
    ReleaseRef(sound_);
}

void DSoundChannel::Init() {
    if (FaultInjected("com") || CoCreateInstance(kClsidDirectSound8, nullptr, CLSCTX_INPROC_SERVER, kIidDirectSound8,
                                                 reinterpret_cast<void**>(&sound_)) != S_OK) {
        sound_ = nullptr;
        throw EDirectAudio(kMsgCannotCreatePerformance);
    }
    owner_.channels_.push_back(this);
    number_ = ++owner_.channelsMade_;
    // Without an audio device the channel stays silent, as a DirectMusic channel does.
    if (FAILED(sound_->Initialize(nullptr))) return;
    // The desktop stands in for a window: buffers are global-focus, so no window of
    // ours has to be active for them to be heard.
    if (FAILED(sound_->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY))) return;
    ready_ = true;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    if (FAILED(sound_->CreateSoundBuffer(&desc, &primary_, nullptr))) {
        primary_ = nullptr;
        return;
    }
    if (SUCCEEDED(primary_->QueryInterface(kIidSound3DListener, reinterpret_cast<void**>(&listener_)))) {
        if (AudioRequestsRecorded())
            RecordAudioRequest(AudioRequestLine(number_, "doppler", {double(DS3D_MINDOPPLERFACTOR)}));
        listener_->SetDopplerFactor(DS3D_MINDOPPLERFACTOR, DS3D_IMMEDIATE);
    } else
        listener_ = nullptr;
}

const DSoundSegment* DSoundChannel::Mine(TDMSegment& segment) const {
    const auto* mine = dynamic_cast<const DSoundSegment*>(&segment);
    return mine && &mine->Owner() == &owner_ ? mine : nullptr;
}

AudioResult DSoundChannel::PlaySegment(TDMSegment& segment) {
    const DSoundSegment* sound = Mine(segment);
    if (!sound) return DSERR_INVALIDPARAM;
    if (!ready_) return kNoAudio;
    ReleaseVoice();
    const auto& samples = sound->Samples();
    if (samples.empty()) return DS_OK;
    const bool loop = sound->Repeats() == kRepeatForever;
    const std::uint64_t copies = loop ? 1 : std::uint64_t(sound->Repeats()) + 1;
    const std::uint64_t copyBytes = samples.size() * sizeof(std::int16_t);
    const std::uint64_t bytes = std::max<std::uint64_t>(copyBytes * copies, DSBSIZE_MIN);
    if (copies > kMaxVoiceBytes || bytes > kMaxVoiceBytes) return DSERR_OUTOFMEMORY;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = sound->Rate();
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags =
        DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = static_cast<DWORD>(bytes);
    desc.lpwfxFormat = &format;
    desc.guid3DAlgorithm = kGuidNull;
    HRESULT hr = sound_->CreateSoundBuffer(&desc, &voice_, nullptr);
    if (FAILED(hr)) {
        voice_ = nullptr;
        return hr;
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD size1 = 0, size2 = 0;
    hr = voice_->Lock(0, 0, &part1, &size1, &part2, &size2, DSBLOCK_ENTIREBUFFER);
    if (FAILED(hr)) {
        ReleaseVoice();
        return hr;
    }
    auto* out = static_cast<std::uint8_t*>(part1);
    std::memset(out, 0, size1);
    for (std::uint64_t copy = 0; copy < copies && (copy + 1) * copyBytes <= size1; ++copy)
        std::memcpy(out + copy * copyBytes, samples.data(), static_cast<std::size_t>(copyBytes));
    voice_->Unlock(part1, size1, part2, size2);

    if (FAILED(voice_->QueryInterface(kIidSound3DBuffer, reinterpret_cast<void**>(&voice3D_)))) voice3D_ = nullptr;
    if (voice3D_) {
        VoicePosition();
        VoiceVelocity();
    }
    VoiceVolume();
    voiceRate_ = sound->Rate();
    ApplyPitch();
    if (AudioRequestsRecorded())
        RecordAudioRequest(AudioRequestLine(number_, "play") + " " + sound->Name() +
                           (loop ? std::string(" loop") : " copies " + std::to_string(copies)));
    return voice_->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
}

}  // namespace

std::unique_ptr<TDirectAudio> CreateDirectSoundAudio() {
    auto audio = std::make_unique<DSoundAudio>();
    audio->Init();
    return audio;
}

bool DirectSoundChannelComesUp(TDirectAudio& audio) {
    auto* sound = dynamic_cast<DSoundAudio*>(&audio);
    return sound && sound->ChannelComesUp();
}

}  // namespace vtl::win32
