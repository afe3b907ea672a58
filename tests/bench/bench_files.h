#pragma once
// Scratch files for the benchmarks, and the plain copy they are measured against.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace vtl::bench {

inline std::filesystem::path Scratch(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() / "vtl_bench";
    std::filesystem::create_directories(folder);
    return folder / name;
}

// What any program would do: stdio with a 64 KiB buffer, the whole file.
inline std::size_t PlainCopy(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    std::vector<char> buffer(65536);
    std::size_t total = 0;
    while (in && out) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n == 0) break;
        std::fwrite(buffer.data(), 1, n, out);
        total += n;
    }
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    return total;
}

inline std::vector<char> ReadRaw(const std::string& path) {
    std::vector<char> bytes;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        std::fseek(in, 0, SEEK_END);
        bytes.resize(static_cast<std::size_t>(std::ftell(in)));
        std::fseek(in, 0, SEEK_SET);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
        std::fclose(in);
    }
    return bytes;
}

}  // namespace vtl::bench
