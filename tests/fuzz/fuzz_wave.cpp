// Wave reader: any bytes as a wave file. A wave that is accepted must mix down to one
// sample per frame and come back unchanged from a file written of it.
#include <cstdint>
#include <cstdlib>

#include "formats/wavefile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto wave = vtl::ParsePcmWave(data, size);
    if (!wave) return 0;
    if (vtl::ToMono16(*wave).size() != wave->FrameCount()) std::abort();
    const auto bytes = vtl::BuildPcmWave(*wave);
    const auto again = vtl::ParsePcmWave(bytes.data(), bytes.size());
    if (!again || again->data != wave->data || again->channels != wave->channels ||
        again->bitsPerSample != wave->bitsPerSample || again->sampleRate != wave->sampleRate)
        std::abort();
    return 0;
}
