#include "platform/hooks/audio_requests.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace vtl {

namespace {

// Named once per process, before the first request, like VTL_FAULTS.
AudioRequestSink SinkFromEnvironment() {
    const char* path = std::getenv("VTL_AUDIO_REQUESTS");
    return path && *path ? AudioRequestFileSink(path) : AudioRequestSink();
}

AudioRequestSink& Sink() {
    static AudioRequestSink sink = SinkFromEnvironment();
    return sink;
}

}  // namespace

void SetAudioRequestSink(AudioRequestSink sink) { Sink() = std::move(sink); }

AudioRequestSink AudioRequestFileSink(const std::string& path) {
    std::shared_ptr<std::FILE> file(std::fopen(path.c_str(), "a"), [](std::FILE* f) {
        if (f) std::fclose(f);
    });
    if (!file) return {};
    return [file](const std::string& line) {
        std::fprintf(file.get(), "%s\n", line.c_str());
        std::fflush(file.get());
    };
}

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
