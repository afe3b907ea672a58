#pragma once
// Builds pack files byte by byte, so a test states exactly what lies on disk,
// malformed packs included. Shared by the portable and the Windows pack tests.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vtl::test {

struct PackBytes {
    std::vector<unsigned char> b;

    PackBytes& Raw(const void* data, std::size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        b.insert(b.end(), p, p + n);
        return *this;
    }
    PackBytes& Text(const std::string& s) { return Raw(s.data(), s.size()); }
    PackBytes& I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(static_cast<std::uint32_t>(v) >> (8 * i)));
        return *this;
    }
    PackBytes& Fill(std::size_t n, unsigned char c = 0) {
        b.insert(b.end(), n, c);
        return *this;
    }
    PackBytes& Header(std::int32_t count, const char* magic = "VOXAPACK", std::int32_t version = 1,
                      unsigned char reserved = 0) {
        return Raw(magic, 8).I32(version).I32(count).Fill(16, reserved);
    }
    // One directory entry; lengthByte overrides the stored name length.
    PackBytes& Entry(const std::string& name, std::int32_t size, int lengthByte = -1) {
        unsigned char e[32] = {};
        e[0] = static_cast<unsigned char>(lengthByte >= 0 ? lengthByte : static_cast<int>(name.size()));
        std::memcpy(e + 1, name.data(), name.size() < 27 ? name.size() : 27);
        Raw(e, 28);
        return I32(size);
    }
    PackBytes& Cut(std::size_t n) {
        b.resize(b.size() - n);
        return *this;
    }
    // A well-formed pack of the given (name, contents) entries.
    static PackBytes Of(const std::vector<std::pair<std::string, std::string>>& entries) {
        PackBytes p;
        p.Header(static_cast<std::int32_t>(entries.size()));
        for (const auto& e : entries) p.Entry(e.first, static_cast<std::int32_t>(e.second.size()));
        for (const auto& e : entries) p.Text(e.second);
        return p;
    }
    void WriteTo(const std::string& path) const {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
};

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vtl::test
