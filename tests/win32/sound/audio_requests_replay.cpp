#include "audio_requests_replay.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/hooks/audio_requests.h"
#include "support/doppler_physics.h"

namespace vtl::soundtest {

double Heard::Pitch() const { return frequency >= 0 ? frequency : physics::PitchRatio(position, velocity, doppler); }

std::map<int, Heard> Replay(const std::vector<std::string>& lines) {
    std::map<int, Heard> channels;
    for (const auto& line : lines) {
        std::istringstream in(line);
        std::string ch, what;
        in >> ch >> what;
        Heard& h = channels[std::stoi(ch.substr(2))];
        if (what == "position") {
            in >> h.position[0] >> h.position[1] >> h.position[2];
        } else if (what == "velocity") {
            in >> h.velocity[0] >> h.velocity[1] >> h.velocity[2];
        } else if (what == "doppler") {
            in >> h.doppler;
        } else if (what == "frequency") {
            double hz = 0, rate = 1;
            std::string word;
            in >> hz >> word >> rate;
            h.frequency = hz / rate;
        } else if (what == "volume") {
            // Written as %g: a large level comes in exponent form.
            double level = 0;
            in >> level;
            h.volume = static_cast<long>(std::clamp(level, -2147483648.0, 2147483647.0));
        } else if (what == "stop") {
            h.sound.clear(), h.plays.clear();
        } else if (what == "play") {
            std::string word;
            in >> h.sound >> word;
            if (word == "loop") {
                h.plays = "loop";
            } else if (word == "copies") {
                unsigned copies = 0;
                in >> copies;
                h.plays = std::to_string(copies) + " in sequence";
            } else {  // DirectMusic: "repeats R length L wave W"
                unsigned long repeats = 0;
                long length = 0, wave = 0;
                std::string l, w;
                in >> repeats >> l >> length >> w >> wave;
                if (repeats == 0xFFFFFFFFul)
                    h.plays = "loop";
                else if (wave > 0 && length == wave)
                    h.plays = std::to_string(repeats + 1) + " in sequence";
                else
                    h.plays = std::to_string(repeats + 1) + " starts " + std::to_string(length) + " ticks apart";
            }
        }
    }
    return channels;
}

std::string Describe(const Heard& h) {
    char text[256];
    std::snprintf(text, sizeof text, "at (%g %g %g) moving (%g %g %g) pitch %.4f volume %ld: %s %s", h.position[0],
                  h.position[1], h.position[2], h.velocity[0], h.velocity[1], h.velocity[2], h.Pitch(), h.volume,
                  h.sound.empty() ? "silent" : h.sound.c_str(), h.plays.c_str());
    return text;
}

RequestRecorder::RequestRecorder() {
    SetAudioRequestSink([this](const std::string& line) { lines_.push_back(line); });
}

RequestRecorder::~RequestRecorder() { SetAudioRequestSink({}); }

}  // namespace vtl::soundtest
