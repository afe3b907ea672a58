#pragma once
// Audio seam: what the ambient sound system needs of a sound back end. A back end
// turns wave files into sound objects and offers independent channels, each with its
// own listener at the origin and one positional voice. Windows has two back ends
// (DirectMusic, and DirectSound for systems whose DirectMusic cannot play waves);
// tests use FakeAudio.
//
// Ownership: the TDirectAudio owns every channel it created and destroys them with
// itself; segments belong to whoever loaded them and must be destroyed before the
// TDirectAudio that loaded them. Everything is used on one thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/errors.h"

namespace vtl {

// The platform's result code: negative is a failure. Playback, volume and 3D calls
// report only through it; nothing but creation raises.
using AudioResult = std::int32_t;
inline constexpr AudioResult kAudioOk = 0;

// Repeat count that loops until the channel stops.
inline constexpr std::uint32_t kRepeatForever = 0xFFFFFFFFu;

inline constexpr const char* kMsgCannotInitCom = "Cannot initialize COM library";
inline constexpr const char* kMsgCannotCreateLoader = "Cannot create loader object";
inline constexpr const char* kMsgCannotCreatePerformance = "Cannot create performance object";
inline constexpr const char* kMsgCannotCreateSegment = "Cannot create segment object from file %s";

// One loaded sound.
class TDMSegment {
public:
    virtual ~TDMSegment() = default;
    // 0 plays once, n plays n + 1 times, kRepeatForever loops. A new segment plays twice.
    virtual AudioResult SetRepeats(std::uint32_t count) = 0;
    AudioResult LoopForever() { return SetRepeats(kRepeatForever); }

protected:
    TDMSegment() = default;
    TDMSegment(const TDMSegment&) = delete;
    TDMSegment& operator=(const TDMSegment&) = delete;
};

// One channel. Starts with the voice at the origin at rest, Doppler factor 1.0 and
// full volume (0).
class TDMPerformance {
public:
    // Makes the segment ready on this channel; comes before its first PlaySegment here.
    virtual AudioResult DownloadSegment(TDMSegment& segment) = 0;
    // Starts the segment at once with its repeat count, replacing whatever plays.
    virtual AudioResult PlaySegment(TDMSegment& segment) = 0;
    // Stops everything on this channel at once.
    virtual AudioResult Stop() = 0;
    virtual AudioResult SetPosition(float x, float y, float z) = 0;
    virtual AudioResult SetVelocity(float x, float y, float z) = 0;
    // 1.0 natural, up to 10.
    virtual AudioResult SetDopplerFactor(float factor) = 0;
    // Hundredths of a decibel, 0 full; a positive value is taken as its negative, so a
    // channel is never raised above full.
    virtual AudioResult SetVolume(std::int32_t volume) = 0;

protected:
    TDMPerformance() = default;
    virtual ~TDMPerformance() = default;  // only its TDirectAudio destroys it
    TDMPerformance(const TDMPerformance&) = delete;
    TDMPerformance& operator=(const TDMPerformance&) = delete;
};

// The back end itself. Creating one may raise EGeneral kMsgCannotInitCom or
// EDirectAudio kMsgCannotCreateLoader.
class TDirectAudio {
public:
    virtual ~TDirectAudio() = default;
    // A new channel, owned by this object. Raises EDirectAudio kMsgCannotCreatePerformance.
    virtual TDMPerformance* CreatePerformance() = 0;
    // Loads a wave file by full path. Raises EDirectAudio kMsgCannotCreateSegment with
    // fileName as given.
    virtual std::unique_ptr<TDMSegment> LoadSegment(const std::string& fileName) = 0;
    // Stops every channel, in creation order.
    virtual void StopAll() = 0;

protected:
    TDirectAudio() = default;
    TDirectAudio(const TDirectAudio&) = delete;
    TDirectAudio& operator=(const TDirectAudio&) = delete;
};

// Makes the back end the platform offers (its errors propagate).
using AudioFactory = std::function<std::unique_ptr<TDirectAudio>()>;

}  // namespace vtl
