#pragma once
// Audio back end for tests: keeps each channel's state and logs every call in order,
// into a world that outlives the back end the code under test owns and destroys.
// Failures can be planted where the real back ends have them.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace vtl {

struct FakeChannelState {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float doppler = 1.0f;
    std::int32_t volume = 0;
    std::string playing;  // file name (no folder) of the last segment played, until a stop
    std::uint32_t playingRepeats = 0;
    std::vector<std::string> downloaded;
    bool alive = true;
};

struct FakeAudioWorld {
    // Planted failures.
    bool failCreate = false;             // the back end itself cannot be made
    int failPerformanceNumber = 0;       // this channel (1 = first made) cannot be made
    std::set<std::string> failingFiles;  // file names (no folder) that do not load
    // Off: every file loads that is not planted as failing, so tests may name files
    // that are not there. On: files are read as the real back ends read them, and
    // anything but a PCM wave (missing, unreadable, another format) does not load.
    bool readWaveFiles = false;

    // What happened. Entries: "audio create", "ch2 create", "load <path>",
    // "segment <name> repeats <n>", "ch2 download <name>", "ch2 play <name>",
    // "ch2 stop", "ch2 volume -700", "ch2 doppler 7", "stop all", "segment <name> destroy",
    // "ch2 destroy", "audio destroy". Position and velocity changes go to the state only;
    // refused calls (a Doppler factor outside 0 .. 10, a segment of another back end)
    // change nothing and are not logged.
    std::vector<std::string> log;
    std::vector<FakeChannelState> channels;  // by creation number - 1
    int liveAudios = 0;
    int liveSegments = 0;

    AudioFactory Factory();
};

}  // namespace vtl
