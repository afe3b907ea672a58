#pragma once
// A wave file read whole from disk by the project's own reader, for the back ends
// that play it themselves (DirectSound) or need its length (DirectMusic).
#include <optional>
#include <string>

#include "formats/wavefile.h"

namespace vtl {

// nullopt when the file cannot be read, is larger than any sound the saver plays,
// or is not a PCM wave.
std::optional<PcmWave> ReadPcmWaveFile(const std::string& path);

}  // namespace vtl
