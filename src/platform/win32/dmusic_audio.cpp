// DirectMusic 8 back end of the audio seam. Implements loading waves as segments,
// channels as performances with a 3D audio path each, and their position, velocity,
// Doppler factor, volume, play, download and stop. Leaves out everything else of
// DirectMusic (styles, bands, MIDI, the loader's search paths and cache control).
//
// COM balance: creation initialises COM on the calling thread and keeps that
// reference only when it was the thread's first (S_OK); destruction gives it back.
#include "platform/win32/dmusic_audio.h"

#include <windows.h>
#include <objbase.h>
#include <dmusici.h>

#include <algorithm>
#include <vector>

#include "platform/hooks/faults.h"
#include "platform/hooks/audio_requests.h"
#include "platform/files.h"
#include "formats/wavefile.h"
#include "platform/win32/dsound_audio.h"
#include "platform/win32/win32_text.h"

namespace vtl::win32 {
namespace {

// Published DirectX 8 identifiers, defined here so no GUID library is needed.
constexpr GUID kClsidLoader = {0xD2AC2892, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
constexpr GUID kIidLoader8 = {0x19E7C08C, 0x0A44, 0x4E6A, {0xA1, 0x16, 0x59, 0x5A, 0x7C, 0xD5, 0xDE, 0x8C}};
constexpr GUID kClsidPerformance = {0xD2AC2881, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
// {679C4137-C62E-4147-B2B4-9D569ACB254C}: the fourth group is B2B4 (a B24B found in
// some copies names no interface, and every performance would fail to be made).
constexpr GUID kIidPerformance8 = {0x679C4137, 0xC62E, 0x4147, {0xB2, 0xB4, 0x9D, 0x56, 0x9A, 0xCB, 0x25, 0x4C}};
constexpr GUID kClsidSegment = {0xD2AC2882, 0xB39B, 0x11D1, {0x87, 0x04, 0x00, 0x60, 0x08, 0x93, 0xB1, 0xBD}};
constexpr GUID kIidSegment8 = {0xC6784488, 0x41A3, 0x418F, {0xAA, 0x15, 0xB3, 0x50, 0x93, 0xBA, 0x42, 0xD4}};
constexpr GUID kIidSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID kIidSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID kGuidNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

constexpr DWORD kInProcess = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD kPerformanceChannels = 64;
constexpr std::size_t kWideNameBuffer = 255;  // terminator included

// Returned by calls on a channel whose audio never came up (nothing to call).
constexpr AudioResult kNoAudio = static_cast<AudioResult>(DMUS_E_NOT_INIT);

template <typename T>
void ReleaseRef(T*& ref) {
    if (ref) {
        ref->Release();
        ref = nullptr;
    }
}

class DMusicAudio;

class DMusicSegment final : public TDMSegment {
public:
    DMusicSegment(DMusicAudio& owner, IDirectMusicSegment8* segment, std::string name, std::int32_t waveLength)
        : owner_(owner), segment_(segment), name_(std::move(name)), waveLength_(waveLength) {}
    ~DMusicSegment() override { ReleaseRef(segment_); }
    AudioResult SetRepeats(std::uint32_t count) override { return segment_->SetRepeats(count); }
    IDirectMusicSegment8* Segment() const { return segment_; }
    const DMusicAudio& Owner() const { return owner_; }
    // For the request recorder: "NAME repeats R length L wave W".
    std::string Described() const {
        DWORD repeats = 0;
        MUSIC_TIME length = 0;
        segment_->GetRepeats(&repeats);
        segment_->GetLength(&length);
        return name_ + " repeats " + std::to_string(repeats) + " length " + std::to_string(length) + " wave " +
               std::to_string(waveLength_);
    }

private:
    DMusicAudio& owner_;
    IDirectMusicSegment8* segment_;
    std::string name_;
    std::int32_t waveLength_;  // 0 when our reader does not know the file
};

class DMusicPerformance final : public TDMPerformance {
public:
    explicit DMusicPerformance(DMusicAudio& owner) : owner_(owner) {}
    ~DMusicPerformance() override;
    void Init();

    AudioResult DownloadSegment(TDMSegment& segment) override {
        IDirectMusicSegment8* source = Source(segment);
        if (!source) return E_INVALIDARG;
        if (!audioUp_) return kNoAudio;
        return source->Download(performance_);
    }
    AudioResult PlaySegment(TDMSegment& segment) override {
        IDirectMusicSegment8* source = Source(segment);
        if (!source) return E_INVALIDARG;
        if (!audioUp_ || !path_) return kNoAudio;
        IDirectMusicSegmentState* state = nullptr;
        const HRESULT hr = performance_->PlaySegmentEx(source, nullptr, nullptr, 0, 0, &state, nullptr, path_);
        ReleaseRef(state);
        if (AudioRequestsRecorded())
            RecordAudioRequest(AudioRequestLine(number_, "play") + " " +
                               static_cast<DMusicSegment&>(segment).Described());
        return hr;
    }
    AudioResult Stop() override {
        if (!audioUp_) return kNoAudio;
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "stop"));
        return performance_->Stop(nullptr, nullptr, 0, 0);
    }
    AudioResult SetPosition(float x, float y, float z) override {
        if (!buffer3D_) return kNoAudio;
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "position", {x, y, z}));
        return buffer3D_->SetPosition(x, y, z, DS3D_IMMEDIATE);
    }
    AudioResult SetVelocity(float x, float y, float z) override {
        if (!buffer3D_) return kNoAudio;
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "velocity", {x, y, z}));
        return buffer3D_->SetVelocity(x, y, z, DS3D_IMMEDIATE);
    }
    AudioResult SetDopplerFactor(float factor) override {
        if (!listener_) return kNoAudio;
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "doppler", {factor}));
        return listener_->SetDopplerFactor(factor, DS3D_IMMEDIATE);
    }
    AudioResult SetVolume(std::int32_t volume) override {
        if (!path_) return kNoAudio;
        const std::int32_t level = volume <= 0 ? volume : -volume;
        if (AudioRequestsRecorded()) RecordAudioRequest(AudioRequestLine(number_, "volume", {double(level)}));
        return path_->SetVolume(level, 0);
    }

    bool Whole() const { return audioUp_ && path_ && buffer3D_ && listener_; }

private:
    IDirectMusicSegment8* Source(TDMSegment& segment) const;

    DMusicAudio& owner_;
    IDirectMusicPerformance8* performance_ = nullptr;
    IDirectMusicAudioPath* path_ = nullptr;
    IDirectSound3DBuffer* buffer3D_ = nullptr;
    IDirectSound3DListener* listener_ = nullptr;
    bool audioUp_ = false;
    int number_ = 0;
};

class DMusicAudio final : public TDirectAudio {
public:
    DMusicAudio() = default;
    ~DMusicAudio() override {
        // Each performance takes itself out of the list as it goes.
        while (!performances_.empty()) delete performances_.front();
        ReleaseRef(loader_);
        if (comResult_ == S_OK) CoUninitialize();
    }

    void Init() {
        comResult_ = CoInitialize(nullptr);
        if (comResult_ == S_FALSE) CoUninitialize();  // already initialised: keep no reference of our own
        if (comResult_ != S_OK && comResult_ != S_FALSE) throw EGeneral(kMsgCannotInitCom);
        if (FaultInjected("com") || CoCreateInstance(kClsidLoader, nullptr, kInProcess, kIidLoader8,
                                                     reinterpret_cast<void**>(&loader_)) != S_OK) {
            loader_ = nullptr;
            throw EDirectAudio(kMsgCannotCreateLoader);
        }
    }

    TDMPerformance* CreatePerformance() override {
        auto performance = std::make_unique<DMusicPerformance>(*this);
        performance->Init();
        return performance.release();
    }

    std::unique_ptr<TDMSegment> LoadSegment(const std::string& fileName) override {
        const EDirectAudio failure(FormatMessage1(kMsgCannotCreateSegment, fileName));
        WCHAR wide[kWideNameBuffer];
        if (MultiByteToWideChar(CP_UTF8, 0, fileName.c_str(), -1, wide, static_cast<int>(kWideNameBuffer)) == 0)
            throw failure;
        IDirectMusicSegment8* segment = nullptr;
        const HRESULT hr =
            loader_->LoadObjectFromFile(kClsidSegment, kIidSegment8, wide, reinterpret_cast<void**>(&segment));
        if ((hr != S_OK && hr != DMUS_S_PARTIALLOAD) || !segment) {
            ReleaseRef(segment);
            throw failure;
        }
        // Windows' loader gives a wave segment a length of one tick, so its repeats
        // would start the sound again one tick later; with the wave's own length they
        // follow each other. A file our reader does not know keeps the loader's length.
        std::int32_t waveLength = 0;
        if (const std::optional<PcmWave> wave = ReadPcmWaveFile(fileName)) {
            waveLength = WaveMusicTimeLength(*wave);
            segment->SetLength(waveLength);
        }
        segment->SetRepeats(1);
        return std::make_unique<DMusicSegment>(*this, segment, FileNameOfPath(fileName), waveLength);
    }

    void StopAll() override {
        for (DMusicPerformance* performance : performances_) performance->Stop();
    }

    // Whether a channel comes up whole here: performance, audio, 3D path, its 3D
    // buffer and listener. The trial channel is gone again afterwards.
    bool ChannelComesUp() {
        auto trial = std::make_unique<DMusicPerformance>(*this);
        trial->Init();
        const bool whole = trial->Whole();
        trial.reset();
        --channelsMade_;  // the real channels count from 1
        return whole;
    }

    std::vector<DMusicPerformance*> performances_;
    int channelsMade_ = 0;
    IDirectMusicLoader8* loader_ = nullptr;
    HRESULT comResult_ = E_FAIL;
};

DMusicPerformance::~DMusicPerformance() {
    auto& list = owner_.performances_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (performance_) {
        Stop();
        performance_->CloseDown();
    }
    ReleaseRef(performance_);
    ReleaseRef(path_);
    ReleaseRef(buffer3D_);
    ReleaseRef(listener_);
}

void DMusicPerformance::Init() {
    if (FaultInjected("com") || CoCreateInstance(kClsidPerformance, nullptr, kInProcess, kIidPerformance8,
                                                 reinterpret_cast<void**>(&performance_)) != S_OK) {
        performance_ = nullptr;
        throw EDirectAudio(kMsgCannotCreatePerformance);
    }
    owner_.performances_.push_back(this);
    number_ = ++owner_.channelsMade_;
    // Each performance brings up its own DirectMusic and DirectSound objects. Without
    // an audio device this fails, and going on to the audio path crashes some
    // DirectMusic implementations: the channel then stays silent instead.
    if (FAILED(performance_->InitAudio(nullptr, nullptr, nullptr, DMUS_APATH_DYNAMIC_STEREO, kPerformanceChannels,
                                       DMUS_AUDIOF_ALL, nullptr)))
        return;
    audioUp_ = true;
    performance_->CreateStandardAudioPath(DMUS_APATH_DYNAMIC_3D, kPerformanceChannels, TRUE, &path_);
    if (!path_) return;
    path_->GetObjectInPath(DMUS_PCHANNEL_ALL, DMUS_PATH_BUFFER, 0, kGuidNull, 0, kIidSound3DBuffer,
                           reinterpret_cast<void**>(&buffer3D_));
    path_->GetObjectInPath(0, DMUS_PATH_PRIMARY_BUFFER, 0, kGuidNull, 0, kIidSound3DListener,
                           reinterpret_cast<void**>(&listener_));
}

IDirectMusicSegment8* DMusicPerformance::Source(TDMSegment& segment) const {
    auto* mine = dynamic_cast<DMusicSegment*>(&segment);
    return mine && &mine->Owner() == &owner_ ? mine->Segment() : nullptr;
}

}  // namespace

std::unique_ptr<TDirectAudio> CreateDirectMusicAudio() {
    auto audio = std::make_unique<DMusicAudio>();
    audio->Init();  // a raise here destroys the partly made object
    return audio;
}

bool DirectMusicChannelComesUp(TDirectAudio& audio) {
    auto* music = dynamic_cast<DMusicAudio*>(&audio);
    return music && music->ChannelComesUp();
}

std::int32_t DirectMusicSegmentLength(TDMSegment& segment) {
    auto* music = dynamic_cast<DMusicSegment*>(&segment);
    MUSIC_TIME length = 0;
    if (!music || FAILED(music->Segment()->GetLength(&length))) return -1;
    return length;
}

bool RunningOnWine() {
    // Wine's own, documented way of saying who it is.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

AudioCandidates WindowsAudioCandidates() {
    AudioCandidates candidates;
    candidates.directMusic = [] {
        auto music = CreateDirectMusicAudio();
        if (!DirectMusicChannelComesUp(*music)) throw EDirectAudio("no audio path could be made");
        return music;
    };
    candidates.directMusicPlaysNothing = RunningOnWine;
    candidates.directSound = [] {
        auto sound = CreateDirectSoundAudio();
        if (!DirectSoundChannelComesUp(*sound)) throw EDirectAudio("no audio device");
        return sound;
    };
    // The ANSI form: every debugger shows it, and Wine traces only that one.
    candidates.log = [](const std::string& text) {
        OutputDebugStringA(AnsiFromUtf8("Vantorel 3D Screensaver: " + text + "\n").c_str());
    };
    return candidates;
}

std::unique_ptr<TDirectAudio> CreateBestAudioBackend() {
    AudioChoice choice = ChooseAudioBackend(WindowsAudioCandidates());
    if (!choice.audio) throw EDirectAudio(choice.reason);
    return std::move(choice.audio);
}

}  // namespace vtl::win32
