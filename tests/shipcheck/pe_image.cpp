#include "shipcheck/pe_image.h"

#include <fstream>
#include <iterator>

namespace vtl::shipcheck {

namespace {

class Bytes {
public:
    explicit Bytes(const std::vector<std::uint8_t>& data) : data_(data) {}
    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= data_.size() && size <= data_.size() - offset;
    }
    std::uint16_t U16(std::uint64_t at) const { return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8); }
    std::uint32_t U32(std::uint64_t at) const {
        return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
    }
    // A NUL-terminated name at `at`; empty when it runs off the file or is too long.
    std::string Name(std::uint64_t at) const {
        std::string name;
        for (std::uint64_t i = at; i < data_.size() && name.size() < 256; ++i) {
            if (data_[i] == 0) return name;
            name += static_cast<char>(data_[i]);
        }
        return {};
    }

private:
    const std::vector<std::uint8_t>& data_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

std::optional<std::uint64_t> FileOffset(const std::vector<Section>& sections, std::uint32_t rva) {
    for (const auto& s : sections) {
        const std::uint32_t span = s.virtualSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < span && rva - s.virtualAddress < s.rawSize)
            return static_cast<std::uint64_t>(s.rawOffset) + (rva - s.virtualAddress);
    }
    return std::nullopt;
}

}  // namespace

std::optional<PeImage> ParsePeImage(const std::vector<std::uint8_t>& data, std::string& error) {
    const Bytes in(data);
    auto fail = [&](const char* why) {
        error = why;
        return std::optional<PeImage>();
    };
    if (!in.Has(0, 64) || data[0] != 'M' || data[1] != 'Z') return fail("no MZ header");
    const std::uint64_t pe = in.U32(0x3C);
    if (!in.Has(pe, 24) || in.U32(pe) != 0x00004550u) return fail("no PE signature");
    PeImage image;
    image.machine = in.U16(pe + 4);
    const std::uint16_t sectionCount = in.U16(pe + 6);
    const std::uint16_t optionalSize = in.U16(pe + 20);
    image.characteristics = in.U16(pe + 22);
    const std::uint64_t opt = pe + 24;
    if (!in.Has(opt, optionalSize) || optionalSize < 2) return fail("optional header cut short");
    const std::uint16_t magic = in.U16(opt);
    if (magic != 0x10B && magic != 0x20B) return fail("unknown optional header magic");
    image.pe32Plus = magic == 0x20B;
    const std::uint64_t directories = opt + (image.pe32Plus ? 112 : 96);
    if (optionalSize < directories - opt) return fail("optional header cut short");
    image.osMajor = in.U16(opt + 40);
    image.osMinor = in.U16(opt + 42);
    image.subsystemMajor = in.U16(opt + 48);
    image.subsystemMinor = in.U16(opt + 50);
    image.subsystem = in.U16(opt + 68);
    const std::uint32_t directoryCount = in.U32(directories - 4);

    std::vector<Section> sections;
    const std::uint64_t table = opt + optionalSize;
    if (!in.Has(table, std::uint64_t{sectionCount} * 40)) return fail("section table cut short");
    // The GNU linker writes names longer than eight characters (".debug_info") as "/N",
    // an offset into the string table that follows the symbol table.
    const std::uint64_t strings = std::uint64_t{in.U32(pe + 12)} + std::uint64_t{in.U32(pe + 16)} * 18;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t s = table + std::uint64_t{i} * 40;
        sections.push_back({in.U32(s + 12), in.U32(s + 8), in.U32(s + 20), in.U32(s + 16)});
        std::string name;
        for (std::uint64_t c = s; c < s + 8 && data[c] != 0; ++c) name += static_cast<char>(data[c]);
        if (name.size() > 1 && name[0] == '/') {
            const std::string digits = name.substr(1);
            if (digits.find_first_not_of("0123456789") != std::string::npos) return fail("bad long section name");
            name = in.U32(pe + 12) == 0 ? std::string() : in.Name(strings + std::stoull(digits));
            if (name.empty()) return fail("long section name outside the string table");
        }
        image.sections.push_back(name);
    }

    if (directoryCount < 2 || optionalSize < directories - opt + 16) return image;  // no import directory
    const std::uint32_t importRva = in.U32(directories + 8);
    if (importRva == 0) return image;
    auto at = FileOffset(sections, importRva);
    if (!at) return fail("import directory outside every section");
    for (std::uint64_t entry = *at;; entry += 20) {
        if (!in.Has(entry, 20)) return fail("import directory cut short");
        const std::uint32_t nameRva = in.U32(entry + 12);
        if (nameRva == 0 && in.U32(entry) == 0 && in.U32(entry + 16) == 0) break;
        const auto name = FileOffset(sections, nameRva);
        const std::string dll = name ? in.Name(*name) : std::string();
        if (dll.empty()) return fail("import with an unreadable DLL name");
        image.imports.push_back(dll);
        if (image.imports.size() > 1000) return fail("import directory without an end");
    }
    return image;
}

std::optional<PeImage> ReadPeImage(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ParsePeImage(bytes, error);
}

}  // namespace vtl::shipcheck
