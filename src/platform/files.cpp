// Path rules of the files seam that do not depend on the platform.
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

}  // namespace vtl
