// Path rules and whole-file reads of the files seam that do not depend on the platform.
#include "platform/files.h"

namespace vtl {

std::string FileNameOfPath(const std::string& path) {
    const auto at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string FolderOfProgram(const std::string& programPath) {
    const auto cut = programPath.find_last_of("\\:");
    if (cut == std::string::npos) return ".";  // never empty: a bare name lies in the working folder
    if (programPath[cut] == ':') return programPath.substr(0, cut + 1);
    const bool driveRoot = cut == 2 && programPath[1] == ':';
    return programPath.substr(0, driveRoot ? cut + 1 : cut);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t limit,
                                                       ReadSharing sharing) {
    FileHandle file = sharing == ReadSharing::Exclusive ? OpenFileExclusive(path) : OpenFileSharedRead(path);
    if (!file) return std::nullopt;
    const std::int64_t size = file.Size();
    if (size < 0 || static_cast<std::uint64_t>(size) > limit) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && !file.ReadExact(bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace vtl
