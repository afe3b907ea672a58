#include <cstdint>
#include <string>

#include "pack/packlib.h"
#include "platform/errors.h"

namespace vtl {

std::string PackDamage(const std::string& packPath) {
    FileHandle pack = OpenFileExclusive(packPath);
    if (!pack) return "it cannot be opened";
    TPackList list;
    switch (ReadPackDirectory(pack, list)) {
        case PackDirectoryResult::badMagic: return "it is not a pack file";
        case PackDirectoryResult::badVersion: return "its header is cut short or of another version";
        case PackDirectoryResult::badDirectory: return "its directory is cut short or malformed";
        case PackDirectoryResult::ok: break;
    }
    std::int64_t needed = static_cast<std::int64_t>(kPackHeaderSize + kPackEntrySize * list.size());
    for (const auto& entry : list) needed += entry.second.Size;
    const std::int64_t size = pack.Size();
    if (size < needed)
        return "it is cut short: " + std::to_string(size) + " of " + std::to_string(needed) + " bytes are there";
    return {};
}

void UnpackWholePack(const std::string& packPath, const std::string& folder) {
    // An unopenable pack keeps its own message, which names the file already.
    if (!FileHandle(OpenFileExclusive(packPath))) throw EFOpenError(FormatMessage1("Cannot open file %s", packPath));
    const auto damaged = [&packPath](const std::string& why) {
        return EReadError(FormatMessage1("Damaged pack file %s: ", packPath) + why);
    };
    const std::string damage = PackDamage(packPath);
    if (!damage.empty()) throw damaged(damage);
    try {
        ExtractPack(packPath, folder);
    } catch (const EReadError&) {
        // Shortened while it was being read.
        ClearFolder(folder);
        throw damaged("it ended while it was being read");
    } catch (...) {
        ClearFolder(folder);
        throw;
    }
}

}  // namespace vtl
