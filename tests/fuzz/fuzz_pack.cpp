// Pack reader: any bytes as a pack file, extracted into a private folder. Beyond
// memory errors it watches for a file written outside the target folder and for a
// count that does not match what landed there.
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "fuzz_support.h"
#include "pack/packlib.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path work = vtl::fuzz::WorkFolder("fuzz_pack");
    const fs::path pack = work / "p.pak";
    const fs::path target = work / "out";
    vtl::fuzz::WriteFile(pack, data, size);
    std::int32_t written = -2;
    try {
        written = vtl::ExtractPack(pack.string(), target.string());
    } catch (const vtl::Error&) {}
    for (const auto& e : fs::directory_iterator(work)) {
        const auto name = e.path().filename();
        if (name != "p.pak" && name != "out") std::abort();  // escaped the target folder
    }
    if (fs::exists(target)) {
        for (const auto& e : fs::directory_iterator(target))
            if (!e.is_regular_file() || e.is_symlink()) std::abort();  // only plain files may appear
        if (written > 0 && fs::is_empty(target)) std::abort();
    } else if (written > 0) {
        std::abort();
    }
    vtl::ClearFolder(target.string());
    return 0;
}
