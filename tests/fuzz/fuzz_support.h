#pragma once
// A private work folder per fuzzing process, and writing an input into it as a file.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vtl::fuzz {

// Removed again when the fuzzing process ends normally.
struct WorkDir {
    std::filesystem::path path;
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline std::filesystem::path WorkFolder(const char* name) {
    static const WorkDir folder = [name] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                               : std::filesystem::temp_directory_path();
        WorkDir f{base / (std::string("vtl_") + name + "_" + std::to_string(getpid()))};
        std::filesystem::remove_all(f.path);
        std::filesystem::create_directories(f.path);
        return f;
    }();
    return folder.path;
}

inline void WriteFile(const std::filesystem::path& path, const unsigned char* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace vtl::fuzz
