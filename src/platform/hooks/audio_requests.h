#pragma once
// A recorder at the boundary between a sound back end and DirectSound 3D: with a sink
// set, each back end writes one line for every request it makes of DirectSound 3D
// (or of DirectMusic's audio path, which hands it on), so tests can show that two back
// ends ask for the same sound. Without a sink nothing is formatted or kept; the
// saver never sets one itself. A long run under test (the soak and leak scripts) can
// name a file in the environment variable VTL_AUDIO_REQUESTS instead: every line is
// then appended to it as it happens, so the sounds started can be counted while the
// program runs. Read once per process, like VTL_FAULTS.
//
// Lines, `N` being the channel's creation number in its back end, from 1:
//   DirectMusic: "chN position X Y Z", "chN velocity X Y Z", "chN doppler F",
//                "chN volume V", "chN play NAME repeats R length L wave W", "chN stop"
//                (L: the segment's length, W: its wave's, in music time)
//   DirectSound: "chN position X Y Z", "chN velocity X Y Z", "chN doppler F",
//                "chN frequency HZ rate HZ", "chN volume V",
//                "chN play NAME copies C" or "chN play NAME loop", "chN stop"
//   OpenAL:      "chN play NAME copies C" or "chN play NAME loop"
#include <functional>
#include <string>

namespace vtl {

using AudioRequestSink = std::function<void(const std::string& line)>;

// Replaces the sink; an empty one stops the recording.
void SetAudioRequestSink(AudioRequestSink sink);
// A sink appending each line to the file at `path` and flushing it at once, so that a
// reader sees every request while the program runs; empty if the file cannot be
// opened (nothing is then recorded, and the program runs on).
AudioRequestSink AudioRequestFileSink(const std::string& path);
bool AudioRequestsRecorded();
void RecordAudioRequest(const std::string& line);

// "chN what" followed by the numbers, as %g.
std::string AudioRequestLine(int channel, const char* what, std::initializer_list<double> numbers = {});

}  // namespace vtl
