#pragma once
// The city ambience of the running saver: a background loop, a helicopter sweeping
// past the listener with a Doppler effect, and random street and near samples. All of
// it runs on the UI thread: StartSound/StopSound from the saver run, TimerEvent from
// the message loop's timers.
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/audio.h"
#include "platform/random.h"
#include "platform/timers.h"

namespace vtl {

struct TSample {
    const char* FileName;
    std::int32_t Threshold;  // cumulative percentage: a draw r picks the first row with r < Threshold
};

extern const std::array<TSample, 4> StreetSamples;
extern const std::array<TSample, 3> NearSamples;

// The row a draw r in 0..99 picks (the last row for anything above).
template <std::size_t N>
const TSample& PickSample(const std::array<TSample, N>& table, std::int32_t r) {
    for (const TSample& row : table)
        if (r < row.Threshold) return row;
    return table.back();
}

// One movement tick of the helicopter: x moves by step, and past either edge (strictly
// beyond +-25) it turns back at once.
struct HeliMove {
    float x;
    float step;
    bool turned;  // the velocity has to follow the new direction
};
HeliMove MoveHelicopter(float x, float step);

inline constexpr float kHeliEdge = 25.0f;
inline constexpr float kHeliStep = 0.02f;
inline constexpr float kHeliSpeed = 5.0f;
inline constexpr float kHeliHeight = 1.0f;
inline constexpr float kHeliDoppler = 7.0f;
inline constexpr std::int32_t kBackgroundVolume = -700;
inline constexpr std::uint32_t kMoveInterval = 30;

// What the sound system is built on; the pointers must outlive it.
struct SoundServices {
    AudioFactory createAudio;
    IMessageTimers* timers = nullptr;
    IRandom* random = nullptr;
};

class TSoundSystem {
public:
    // Makes the audio back end and nothing else; its errors propagate.
    TSoundSystem(SoundServices services, std::string scratchFolder);
    // Stops everything and releases it; copes with a partly started system.
    ~TSoundSystem();
    TSoundSystem(const TSoundSystem&) = delete;
    TSoundSystem& operator=(const TSoundSystem&) = delete;

    // Builds the channels, loads and starts the two loops and starts the three timers.
    void Start();
    // The one handler of all three timers. An event that fails silences the system
    // before its error leaves: every channel stops and no later event runs, so a
    // failure that would repeat (files removed under the saver) is reported once.
    void TimerEvent(IMessageTimer& sender);
    bool Failed() const { return failed_; }

    // Nobody can hear the saver (the monitor is off): channels stop and the helicopter
    // and the random events hold still; Resume starts the two loops again.
    void Pause();
    void Resume();
    bool Paused() const { return paused_; }

    float HeliX() const { return heliX_; }

private:
    std::string SamplePath(const char* fileName) const;
    void MoveTick();
    void StreetEvent();
    void NearEvent();
    std::unique_ptr<IMessageTimer> MakeTimer(std::uint32_t milliseconds);

    SoundServices services_;
    std::string folder_;
    float heliX_ = 0;
    float heliStep_ = kHeliStep;
    bool failed_ = false;
    bool paused_ = false;
    std::unique_ptr<IMessageTimer> moveTimer_, streetTimer_, nearTimer_;
    std::unique_ptr<TDirectAudio> audio_;
    // Channels belong to audio_.
    TDMPerformance* background_ = nullptr;
    TDMPerformance* helicopter_ = nullptr;
    TDMPerformance* street_ = nullptr;
    TDMPerformance* near_ = nullptr;
    std::unique_ptr<TDMSegment> backgroundSegment_, helicopterSegment_, streetSegment_, nearSegment_;
};

// How the global procedures reach the host. Set once by the saver before StartSound.
struct SoundHost {
    SoundServices services;
    // Unpacks the named pack into the scratch folder and returns the folder; may raise.
    std::function<std::string(const std::string& packFileName)> unpackToTemp;
    // Deletes every file in the folder and the folder itself; raises nothing.
    std::function<void(const std::string& folder)> clearFolder;
    // When set, an error of unpacking (a damaged or unreadable sound pack) is handed
    // here once and the saver runs silent: the picture never depends on the sounds.
    // When not set, it propagates.
    std::function<void(const std::exception& error)> reportUnpackError;
};
void SetSoundHost(SoundHost host);

// Unpacks the sound pack and starts the ambience. Does nothing while it runs. Errors of
// unpacking go to the host's reportUnpackError (or propagate without one); errors of making or starting the sound are
// swallowed and leave the saver silent (the unpacked files then stay until the next clearing).
void StartSound();
// Ends the ambience and removes the unpacked files; does nothing when none runs.
void StopSound();
// StopSound, once an event of the running system has failed; a host calls it after
// each message it handled, outside every timer's handler. True when it stopped one.
bool StopSoundAfterFailure();
// Pauses or resumes the running system, if there is one.
void PauseSound(bool paused);

// The running system (none when silent) and the folder the last StartSound unpacked to.
TSoundSystem* SoundSystem();
const std::string& SoundScratchFolder();

}  // namespace vtl
