#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "shipcheck/pe_image.h"

namespace vtl::shipcheck {
namespace {

// A small but well-formed image: one section at RVA 0x1000 (file offset 0x200)
// holding an import directory for `dlls`, and with `longName` a second, empty section
// whose name lies in the string table at 0x380 as the GNU linker writes it.
std::vector<std::uint8_t> MakeImage(bool pe32Plus, const std::vector<std::string>& dlls,
                                    const char* longName = nullptr) {
    std::vector<std::uint8_t> b(0x400, 0);
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        b[at] = v & 0xFF;
        b[at + 1] = v >> 8;
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    b[0] = 'M';
    b[1] = 'Z';
    put32(0x3C, 0x80);
    put32(0x80, 0x00004550);
    put16(0x84, pe32Plus ? kMachineAmd64 : kMachineI386);
    put16(0x86, longName ? 2 : 1);  // sections
    const std::uint16_t optionalSize = pe32Plus ? 240 : 224;
    put16(0x94, optionalSize);
    put16(0x96, 0x0102 | kLargeAddressAware);
    const std::size_t opt = 0x98;
    put16(opt, pe32Plus ? 0x20B : 0x10B);
    put16(opt + 40, 6);
    put16(opt + 42, 1);
    put16(opt + 48, 6);
    put16(opt + 50, 1);
    put16(opt + 68, kSubsystemGui);
    const std::size_t dirs = opt + (pe32Plus ? 112 : 96);
    put32(dirs - 4, 16);
    put32(dirs + 8, 0x1000);  // import directory RVA
    const std::size_t section = opt + optionalSize;
    std::memcpy(&b[section], ".idata", 6);
    put32(section + 8, 0x200);    // virtual size
    put32(section + 12, 0x1000);  // RVA
    put32(section + 16, 0x200);   // raw size
    put32(section + 20, 0x200);   // raw offset
    if (longName) {
        std::memcpy(&b[section + 40], "/4", 2);
        put32(0x8C, 0x380);  // symbol table, no symbols: the string table follows at once
        put32(0x380, static_cast<std::uint32_t>(4 + std::strlen(longName) + 1));
        std::memcpy(&b[0x384], longName, std::strlen(longName) + 1);
    }
    std::size_t name = 0x200 + 20 * (dlls.size() + 1);
    for (std::size_t i = 0; i < dlls.size(); ++i) {
        put32(0x200 + 20 * i + 12, static_cast<std::uint32_t>(0x1000 + name - 0x200));
        std::memcpy(&b[name], dlls[i].c_str(), dlls[i].size() + 1);
        name += dlls[i].size() + 1;
    }
    return b;
}

TEST(PeImage, ReadsHeadersAndImports) {
    for (bool plus : {false, true}) {
        std::string error;
        const auto image = ParsePeImage(MakeImage(plus, {"KERNEL32.dll", "USER32.dll"}), error);
        ASSERT_TRUE(image) << error;
        EXPECT_EQ(image->machine, plus ? kMachineAmd64 : kMachineI386);
        EXPECT_EQ(image->pe32Plus, plus);
        EXPECT_EQ(image->subsystem, kSubsystemGui);
        EXPECT_EQ(image->subsystemMajor, 6);
        EXPECT_EQ(image->subsystemMinor, 1);
        EXPECT_TRUE(image->characteristics & kLargeAddressAware);
        EXPECT_EQ(image->imports, (std::vector<std::string>{"KERNEL32.dll", "USER32.dll"}));
        EXPECT_EQ(image->sections, (std::vector<std::string>{".idata"}));
    }
}

TEST(PeImage, LongSectionNamesAreReadFromTheStringTable) {
    std::string error;
    const auto image = ParsePeImage(MakeImage(false, {"KERNEL32.dll"}, ".debug_info"), error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->sections, (std::vector<std::string>{".idata", ".debug_info"}));
}

// A name that cannot be read must not pass as a harmless one.
TEST(PeImage, AnUnreadableLongSectionNameIsAnError) {
    const auto whole = MakeImage(false, {"KERNEL32.dll"}, ".debug_info");
    const std::size_t longName = 0x98 + 224 + 40;
    using Bytes = std::vector<std::uint8_t>;
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"offset not a number", [&](Bytes& b) { std::memcpy(&b[longName], "/4x", 3); }},
        {"offset beyond the file", [&](Bytes& b) { std::memcpy(&b[longName], "/9999", 5); }},
        {"no symbol table", [](Bytes& b) { b[0x8C] = b[0x8D] = 0; }},
        {"name cut off by the end of the file", [](Bytes& b) { b.resize(0x384 + 4); }},
    };
    for (const auto& c : cases) {
        Bytes bytes = whole;
        c.damage(bytes);
        std::string error;
        EXPECT_FALSE(ParsePeImage(bytes, error)) << c.what;
    }
}

TEST(PeImage, EveryCutOrDamageIsAnErrorNotACrash) {
    const auto whole = MakeImage(false, {"KERNEL32.dll"});
    // The last byte that matters is the NUL after the one DLL name.
    for (std::size_t size = 0; size < 0x200 + 2 * 20 + sizeof "KERNEL32.dll"; ++size) {
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(size));
        std::string error;
        EXPECT_FALSE(ParsePeImage(cut, error)) << "cut at " << size;
        EXPECT_FALSE(error.empty());
    }
    struct {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    } damage[] = {
        {"MZ", 0, 'X'},
        {"PE signature", 0x80, 'Q'},
        {"magic", 0x98, 0x77},
        {"import RVA outside the section", 0x98 + 96 + 8 + 2, 0x40},
        {"DLL name RVA outside the section", 0x200 + 12 + 1, 0x70},
        {"section count beyond the file", 0x87, 0x70},
    };
    for (const auto& d : damage) {
        auto bytes = whole;
        bytes[d.at] = d.value;
        std::string error;
        EXPECT_FALSE(ParsePeImage(bytes, error)) << d.what;
    }
}

}  // namespace
}  // namespace vtl::shipcheck
