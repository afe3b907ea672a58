#include "outfile.h"

#include <cstdio>
#include <stdexcept>

namespace vtl {

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot create " + path);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may show only when the last buffer goes out at closing.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) throw std::runtime_error("cannot write " + path);
}

std::string OutPath(const std::string& outDir, const char* name) { return outDir + "/" + name; }

}  // namespace vtl
