#pragma once
// What the two Windows back ends ask of DirectSound 3D beneath them (their request
// lines, platform/hooks/audio_requests.h), replayed into what a listener would hear of
// each channel: position, velocity, pitch, volume, and which sound plays how often.
// Wine's DirectMusic plays nothing, so this is the only way to see its side.
#include <map>
#include <string>
#include <vector>

namespace vtl::soundtest {

// One channel as its requests leave it.
struct Heard {
    float position[3] = {0, 0, 0};
    float velocity[3] = {0, 0, 0};
    float doppler = 1;      // DirectMusic: the listener's factor, applied by DirectSound 3D
    double frequency = -1;  // DirectSound: the voice's rate over its wave's rate
    long volume = 0;
    std::string sound;  // empty: silent
    std::string plays;  // "N in sequence", "loop", or how it would really go

    // DirectSound: the rate it set. DirectMusic: the physical shift that DirectSound 3D
    // applies to the requested motion with the listener's factor.
    double Pitch() const;
};

std::map<int, Heard> Replay(const std::vector<std::string>& lines);
std::string Describe(const Heard& heard);

// Keeps every request line while it lives (one at a time).
class RequestRecorder {
public:
    RequestRecorder();
    ~RequestRecorder();
    RequestRecorder(const RequestRecorder&) = delete;
    RequestRecorder& operator=(const RequestRecorder&) = delete;

    const std::vector<std::string>& Lines() const { return lines_; }
    // Channel `number` (from 1) as the requests so far leave it.
    Heard Channel(int number) const { return Replay(lines_)[number]; }

private:
    std::vector<std::string> lines_;
};

}  // namespace vtl::soundtest
