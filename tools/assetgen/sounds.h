// The ambient sounds, synthesised: two seamless loops, four street one-shots and
// three near one-shots, all 16-bit mono PCM.
#pragma once

#include <string>
#include <vector>

#include "dsp.h"

namespace vtl {

struct SoundAsset {
    std::string fileName;
    bool loops;
    dsp::Signal signal;
};

// Every sound of the sound pack, in pack order.
std::vector<SoundAsset> MakeSounds();

void WriteSoundAssets(const std::string& outDir);

}  // namespace vtl
