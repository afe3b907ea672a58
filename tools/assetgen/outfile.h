// The generator's one way of putting bytes on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtl {

// Creates or replaces the file with exactly these bytes. Throws std::runtime_error
// when the file cannot be created, written or closed.
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// outDir/name.
std::string OutPath(const std::string& outDir, const char* name);

}  // namespace vtl
