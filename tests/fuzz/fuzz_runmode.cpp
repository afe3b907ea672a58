// Command line: any text maps to exactly one of the four run modes, and the host
// window is only given with preview and password change.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/saver/scrutils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const vtl::ParsedCommandLine parsed = vtl::ParseRunMode(line);
    if (parsed.mode < vtl::rmSaver || parsed.mode > vtl::rmChangePassword) std::abort();
    if (parsed.hostWindow != 0 && parsed.mode != vtl::rmPreview && parsed.mode != vtl::rmChangePassword) std::abort();
    for (const auto& arg : vtl::SplitCommandLine(line))
        if (arg.find('"') != std::string::npos) std::abort();
    vtl::ParseHostWindow(line);
    return 0;
}
