// OpenAL Soft back end of the audio seam. Implements: waves read and mixed down to mono
// 16-bit by the project's reader, one OpenAL buffer per segment; one source per channel
// with gain, position, velocity and the channel's Doppler factor; repeat counts;
// replacing and stopping. Leaves out: effects, cones, distance models other than
// DirectSound's default, and any wave format but PCM 8/16-bit mono/stereo.
//
// One device and one context per back end. OpenAL has a single listener per context;
// it stays at the origin at rest with its default orientation, so every source heard
// relative to it is heard as the channel's own listener would hear it.
//
// Repeats: a play of n repeats queues the segment's buffer n + 1 times on the source
// (the copies join without a gap and nothing has to be topped up later); forever
// loops a single one. The queue is bounded (kMaxQueuedCopies, and the bytes the
// DirectSound back end would have to fill, kMaxVoiceBytes); a longer play is refused.
//
// Doppler: OpenAL's own velocity model with the context's factor at 1; the channel's
// factor is folded into the velocity the source is given (DopplerVelocity).
//
// A device that goes away (its output fails) leaves OpenAL working but mute: every
// call then reports kDeviceLost and nothing is released until the back end goes.
#include "platform/openal/openal_audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sound/audio_doppler.h"
#include "platform/files.h"
#include "platform/hooks/audio_requests.h"
#include "platform/openal/openal_units.h"
#include "formats/wavefile.h"

namespace vtl::openal {
namespace {

// Results in the platform's HRESULT form, so that a logged failure reads as on Windows.
constexpr AudioResult kInvalidParam = static_cast<AudioResult>(0x80070057u);  // E_INVALIDARG
constexpr AudioResult kOutOfMemory = static_cast<AudioResult>(0x8007000Eu);   // E_OUTOFMEMORY
constexpr AudioResult kFailed = static_cast<AudioResult>(0x80004005u);        // E_FAIL
constexpr AudioResult kDeviceLost = static_cast<AudioResult>(0x88780096u);    // DSERR_BUFFERLOST

constexpr std::uint64_t kMaxVoiceBytes = 64u << 20;
constexpr std::uint64_t kMaxQueuedCopies = 1u << 16;
constexpr float kMaxDopplerFactor = 10.0f;
// The distance model DirectSound uses by default.
constexpr float kMinDistance = 1.0f;
constexpr float kRolloff = 1.0f;

// The device with its one context. Shared by the back end, its segments' buffers and
// its channels, so that whichever goes last closes it: a buffer can only be deleted
// while its device is open.
class Device {
public:
    Device(ALCdevice* device, ALCcontext* context) : device_(device), context_(context) {}
    ~Device() {
        if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
        alcCloseDevice(device_);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Two back ends may live at once (each with its own context); every call into
    // OpenAL goes through here first.
    void MakeCurrent() const {
        if (alcGetCurrentContext() != context_) alcMakeContextCurrent(context_);
    }
    bool Connected() const {
        ALCint connected = ALC_TRUE;
        alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
        return connected != ALC_FALSE;
    }

private:
    ALCdevice* device_;
    ALCcontext* context_;
};

class Buffer {
public:
    Buffer(std::shared_ptr<const Device> device, ALuint id) : device_(std::move(device)), id_(id) {}
    ~Buffer() {
        device_->MakeCurrent();
        alDeleteBuffers(1, &id_);
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ALuint Id() const { return id_; }

private:
    std::shared_ptr<const Device> device_;
    ALuint id_;
};

class OpenALSegment final : public TDMSegment {
public:
    OpenALSegment(std::shared_ptr<const Device> device, std::shared_ptr<const Buffer> buffer, std::size_t bytes,
                  std::string name)
        : device_(std::move(device)), buffer_(std::move(buffer)), bytes_(bytes), name_(std::move(name)) {}
    AudioResult SetRepeats(std::uint32_t count) override {
        repeats_ = count;
        return kAudioOk;
    }
    const Device* Owner() const { return device_.get(); }
    // None for a wave without frames.
    const std::shared_ptr<const Buffer>& Sound() const { return buffer_; }
    std::size_t Bytes() const { return bytes_; }
    std::uint32_t Repeats() const { return repeats_; }
    const std::string& Name() const { return name_; }

private:
    std::shared_ptr<const Device> device_;
    std::shared_ptr<const Buffer> buffer_;
    std::size_t bytes_;
    std::string name_;  // the file's own name, for the request recording
    std::uint32_t repeats_ = 1;
};

class OpenALChannel final : public TDMPerformance {
public:
    OpenALChannel(std::shared_ptr<const Device> device, ALuint source, int number)
        : device_(std::move(device)), source_(source), number_(number) {}
    ~OpenALChannel() override {
        device_->MakeCurrent();
        alSourceStop(source_);
        alDeleteSources(1, &source_);
    }

    // Nothing to prepare: the buffer was made at load.
    AudioResult DownloadSegment(TDMSegment& segment) override {
        if (!Mine(segment)) return kInvalidParam;
        return Status(kAudioOk);
    }
    AudioResult PlaySegment(TDMSegment& segment) override;
    AudioResult Stop() override {
        device_->MakeCurrent();
        alGetError();
        alSourceStop(source_);
        // A stopped source may drop its queue; the buffers it held can then go.
        alSourcei(source_, AL_BUFFER, 0);
        playing_.reset();
        return Status(Checked());
    }
    AudioResult SetPosition(float x, float y, float z) override {
        if (!Finite(x, y, z)) return kInvalidParam;
        position_[0] = x, position_[1] = y, position_[2] = z;
        device_->MakeCurrent();
        alGetError();
        const AlVector p = ToOpenALSpace(position_);
        alSource3f(source_, AL_POSITION, p.x, p.y, p.z);
        // The Doppler velocity is held along the line to the listener, which moved.
        ApplyVelocity();
        return Status(Checked());
    }
    AudioResult SetVelocity(float x, float y, float z) override {
        if (!Finite(x, y, z)) return kInvalidParam;
        velocity_[0] = x, velocity_[1] = y, velocity_[2] = z;
        device_->MakeCurrent();
        alGetError();
        ApplyVelocity();
        return Status(Checked());
    }
    AudioResult SetDopplerFactor(float factor) override {
        if (!(factor >= 0 && factor <= kMaxDopplerFactor)) return kInvalidParam;
        doppler_ = factor;
        device_->MakeCurrent();
        alGetError();
        ApplyVelocity();
        return Status(Checked());
    }
    AudioResult SetVolume(std::int32_t volume) override {
        device_->MakeCurrent();
        alGetError();
        alSourcef(source_, AL_GAIN, GainOfVolume(volume));
        return Status(Checked());
    }

private:
    const OpenALSegment* Mine(TDMSegment& segment) const {
        const auto* mine = dynamic_cast<const OpenALSegment*>(&segment);
        return mine && mine->Owner() == device_.get() ? mine : nullptr;
    }
    void ApplyVelocity() {
        float scaled[3];
        DopplerVelocity(position_, velocity_, doppler_, scaled);
        const AlVector v = ToOpenALSpace(scaled);
        alSource3f(source_, AL_VELOCITY, v.x, v.y, v.z);
    }
    // OpenAL refuses these itself, but the channel would keep them for the Doppler
    // velocity of later calls.
    static bool Finite(float x, float y, float z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }
    static AudioResult Checked() { return alGetError() == AL_NO_ERROR ? kAudioOk : kFailed; }
    // A call that went through still failed to be heard when the device is gone.
    AudioResult Status(AudioResult result) const {
        if (result < 0) return result;
        return device_->Connected() ? result : kDeviceLost;
    }

    std::shared_ptr<const Device> device_;
    ALuint source_;
    int number_;                             // creation number in the back end, for the request recording
    std::shared_ptr<const Buffer> playing_;  // kept while the source may hold it
    float position_[3] = {0, 0, 0};
    float velocity_[3] = {0, 0, 0};
    float doppler_ = 1.0f;
};

AudioResult OpenALChannel::PlaySegment(TDMSegment& segment) {
    const OpenALSegment* sound = Mine(segment);
    if (!sound) return kInvalidParam;
    // What played before stops in any case, as a new play replaces it.
    const AudioResult stopped = Stop();
    if (stopped < 0) return stopped;
    if (!sound->Sound()) return kAudioOk;
    const bool loop = sound->Repeats() == kRepeatForever;
    const std::uint64_t copies = loop ? 1 : std::uint64_t(sound->Repeats()) + 1;
    if (copies > kMaxQueuedCopies || copies * sound->Bytes() > kMaxVoiceBytes) return kOutOfMemory;

    alGetError();
    alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    const ALuint id = sound->Sound()->Id();
    const std::vector<ALuint> ids(static_cast<std::size_t>(copies), id);
    alSourceQueueBuffers(source_, static_cast<ALsizei>(ids.size()), ids.data());
    if (alGetError() != AL_NO_ERROR) {
        alSourcei(source_, AL_BUFFER, 0);
        return kOutOfMemory;
    }
    playing_ = sound->Sound();
    alSourcePlay(source_);
    if (AudioRequestsRecorded())
        RecordAudioRequest(AudioRequestLine(number_, "play") + " " + sound->Name() +
                           (loop ? std::string(" loop") : " copies " + std::to_string(copies)));
    return Status(Checked());
}

class OpenALAudio final : public TDirectAudio {
public:
    explicit OpenALAudio(std::shared_ptr<const Device> device) : device_(std::move(device)) {}
    ~OpenALAudio() override {
        for (OpenALChannel* channel : channels_) delete channel;
    }
    TDMPerformance* CreatePerformance() override {
        device_->MakeCurrent();
        alGetError();
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) throw EDirectAudio(kMsgCannotCreatePerformance);
        alSourcef(source, AL_REFERENCE_DISTANCE, kMinDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, kRolloff);
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        auto channel = std::make_unique<OpenALChannel>(device_, source, static_cast<int>(channels_.size()) + 1);
        channels_.push_back(channel.get());
        return channel.release();
    }
    std::unique_ptr<TDMSegment> LoadSegment(const std::string& fileName) override {
        const std::optional<PcmWave> wave = ReadPcmWaveFile(fileName);
        if (!wave) throw EDirectAudio(FormatMessage1(kMsgCannotCreateSegment, fileName));
        const std::vector<std::int16_t> samples = ToMono16(*wave);
        const std::size_t bytes = samples.size() * sizeof(std::int16_t);
        std::shared_ptr<const Buffer> buffer;
        if (!samples.empty()) {
            device_->MakeCurrent();
            alGetError();
            ALuint id = 0;
            alGenBuffers(1, &id);
            if (alGetError() != AL_NO_ERROR) throw EDirectAudio(FormatMessage1(kMsgCannotCreateSegment, fileName));
            buffer = std::make_shared<const Buffer>(device_, id);
            alBufferData(id, AL_FORMAT_MONO16, samples.data(), static_cast<ALsizei>(bytes),
                         static_cast<ALsizei>(wave->sampleRate));
            if (alGetError() != AL_NO_ERROR) throw EDirectAudio(FormatMessage1(kMsgCannotCreateSegment, fileName));
        }
        const std::size_t slash = fileName.find_last_of("/\\");
        return std::make_unique<OpenALSegment>(device_, std::move(buffer), bytes,
                                               slash == std::string::npos ? fileName : fileName.substr(slash + 1));
    }
    void StopAll() override {
        for (OpenALChannel* channel : channels_) channel->Stop();
    }

private:
    std::shared_ptr<const Device> device_;
    std::vector<OpenALChannel*> channels_;  // creation order
};

}  // namespace

std::unique_ptr<TDirectAudio> CreateOpenALAudio() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) throw EDirectAudio(kMsgNoAudioDevice);
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context) {
        alcCloseDevice(device);
        throw EDirectAudio(kMsgNoAudioContext);
    }
    auto shared = std::make_shared<const Device>(device, context);
    shared->MakeCurrent();
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alDopplerFactor(1.0f);
    alSpeedOfSound(kSpeedOfSound);
    alListener3f(AL_POSITION, 0, 0, 0);
    alListener3f(AL_VELOCITY, 0, 0, 0);
    const ALfloat orientation[6] = {0, 0, -1, 0, 1, 0};
    alListenerfv(AL_ORIENTATION, orientation);
    alListenerf(AL_GAIN, 1.0f);
    return std::make_unique<OpenALAudio>(std::move(shared));
}

}  // namespace vtl::openal
