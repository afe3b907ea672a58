#include "platform/hooks/audio_requests.h"

#include <cstdio>

namespace vtl {

namespace {

AudioRequestSink& Sink() {
    static AudioRequestSink sink;
    return sink;
}

}  // namespace

void SetAudioRequestSink(AudioRequestSink sink) { Sink() = std::move(sink); }

bool AudioRequestsRecorded() { return static_cast<bool>(Sink()); }

void RecordAudioRequest(const std::string& line) {
    if (Sink()) Sink()(line);
}

std::string AudioRequestLine(int channel, const char* what, std::initializer_list<double> numbers) {
    std::string line = "ch" + std::to_string(channel) + " " + what;
    for (double n : numbers) {
        char text[32];
        std::snprintf(text, sizeof text, " %g", n);
        line += text;
    }
    return line;
}

}  // namespace vtl
