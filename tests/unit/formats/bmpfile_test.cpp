// BMP reader: the pixel layouts it takes, and files that lie about their sizes.
#include "formats/bmpfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vtl {
namespace {

struct Layout {
    std::int32_t width = 2, height = 2;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> masks;    // written after a 40-byte header
    std::vector<std::uint8_t> rows;      // as stored, padding included
    std::uint16_t planes = 1;
};

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

std::vector<std::uint8_t> Build(const Layout& s) {
    const std::size_t entry = s.headerSize == 12 ? 3 : 4;
    const std::size_t offset = 14 + s.headerSize + 4 * s.masks.size() + entry * s.palette.size();
    std::vector<std::uint8_t> b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, std::uint32_t(offset));
    Put32(b, 14, s.headerSize);
    if (s.headerSize == 12) {
        Put16(b, 18, std::uint32_t(s.width));
        Put16(b, 20, std::uint32_t(s.height));
        Put16(b, 22, s.planes);
        Put16(b, 24, s.bits);
    } else {
        Put32(b, 18, std::uint32_t(s.width));
        Put32(b, 22, std::uint32_t(s.height));
        Put16(b, 26, s.planes);
        Put16(b, 28, s.bits);
        Put32(b, 30, s.compression);
        Put32(b, 46, std::uint32_t(s.palette.size()));
    }
    std::size_t at = 14 + s.headerSize;
    for (std::uint32_t m : s.masks) {
        Put32(b, at, m);
        at += 4;
    }
    for (std::uint32_t p : s.palette) {
        b[at] = std::uint8_t(p);
        b[at + 1] = std::uint8_t(p >> 8);
        b[at + 2] = std::uint8_t(p >> 16);
        at += entry;
    }
    b.insert(b.end(), s.rows.begin(), s.rows.end());
    Put32(b, 2, std::uint32_t(b.size()));
    return b;
}

TEST(BmpFile, ReadsEveryLayoutTopRowFirst) {
    struct Case {
        const char* what;
        Layout layout;
        std::vector<std::uint32_t> want;
    };
    Layout bottomUp24;  // stored bottom row first: blue, white / red, green
    bottomUp24.rows = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0};
    Layout topDown24 = bottomUp24;
    topDown24.height = -2;
    Layout core24 = bottomUp24;
    core24.headerSize = 12;
    Layout pal8;
    pal8.bits = 8;
    pal8.palette = {0x000000, 0x112233, 0xFFEEDD};
    pal8.rows = {2, 0, 0, 0, 1, 2, 0, 0};
    Layout pal4;
    pal4.bits = 4;
    pal4.palette = {0x000000, 0x112233};
    pal4.rows = {0x10, 0, 0, 0, 0x01, 0, 0, 0};
    Layout pal1;
    pal1.width = 9;
    pal1.height = 1;
    pal1.bits = 1;
    pal1.palette = {0x000000, 0xFFFFFF};
    pal1.rows = {0xAA, 0x80, 0, 0};
    Layout plain32;
    plain32.height = 1;
    plain32.bits = 32;
    plain32.rows = {0x33, 0x22, 0x11, 0x00, 0x66, 0x55, 0x44, 0x7F};  // the fourth byte is not alpha
    Layout rgb555;
    rgb555.height = 1;
    rgb555.bits = 16;
    rgb555.rows = {0x00, 0x7C, 0x1F, 0x00};  // pure red, pure blue
    Layout alpha32;
    alpha32.width = 1;
    alpha32.height = 1;
    alpha32.bits = 32;
    alpha32.compression = 6;
    alpha32.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    alpha32.rows = {0x30, 0x20, 0x10, 0x80};
    Layout rgb565;
    rgb565.width = 1;
    rgb565.height = 1;
    rgb565.bits = 16;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.rows = {0xE0, 0x07, 0, 0};  // pure green
    const Case cases[] = {
        {"24-bit bottom-up", bottomUp24, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
        {"24-bit top-down", topDown24, {0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}},
        {"core header", core24, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
        {"8-bit palette", pal8, {0xFF112233, 0xFFFFEEDD, 0xFFFFEEDD, 0xFF000000}},
        {"4-bit palette", pal4, {0xFF000000, 0xFF112233, 0xFF112233, 0xFF000000}},
        {"1-bit palette",
         pal1,
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {"32-bit without alpha", plain32, {0xFF112233, 0xFF445566}},
        {"16-bit 5-5-5", rgb555, {0xFFFF0000, 0xFF0000FF}},
        {"32-bit with an alpha mask", alpha32, {0x80102030}},
        {"16-bit 5-6-5 masks", rgb565, {0xFF00FF00}},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = Build(c.layout);
        const auto image = ParseBmp(bytes.data(), bytes.size());
        ASSERT_TRUE(image) << c.what;
        EXPECT_EQ(image->width, std::uint32_t(c.layout.width)) << c.what;
        EXPECT_EQ(image->pixels, c.want) << c.what;
    }
}

TEST(BmpFile, RefusesFilesThatLieAboutTheirSize) {
    Layout good;
    good.rows = std::vector<std::uint8_t>(16, 0x80);
    ASSERT_TRUE(ParseBmp(Build(good).data(), Build(good).size()));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, auto change) {
        Layout s = good;
        change(s);
        cases.push_back({what, Build(s)});
    };
    with("one pixel byte short", [](Layout& s) { s.rows.pop_back(); });
    with("no width", [](Layout& s) { s.width = 0; });
    with("no height", [](Layout& s) { s.height = 0; });
    with("wider than any texture", [](Layout& s) { s.width = 16385; });
    with("a huge height over a few bytes", [](Layout& s) { s.height = 16384; });
    with("the most negative height", [](Layout& s) { s.height = INT32_MIN; });
    with("two bits per pixel", [](Layout& s) { s.bits = 2; });
    with("run-length compressed", [](Layout& s) {
        s.bits = 8;
        s.compression = 1;
    });
    with("a palette longer than the bits allow", [](Layout& s) {
        s.bits = 1;
        s.palette = {0, 1, 2};
    });
    with("two planes", [](Layout& s) { s.planes = 2; });
    with("a mask with a gap", [](Layout& s) {
        s.bits = 16;
        s.compression = 3;
        s.masks = {0xF00F, 0x0F00, 0x00F0};
    });
    with("a mask beyond the pixel", [](Layout& s) {
        s.bits = 16;
        s.compression = 3;
        s.masks = {0xF0000, 0x0F00, 0x00F0};
    });
    std::vector<std::uint8_t> offsetPast = Build(good);
    Put32(offsetPast, 10, std::uint32_t(offsetPast.size() + 1));
    cases.push_back({"pixels after the end of the file", offsetPast});
    std::vector<std::uint8_t> headerPast = Build(good);
    Put32(headerPast, 14, 4000);
    cases.push_back({"a header longer than the file", headerPast});
    std::vector<std::uint8_t> notBmp = Build(good);
    notBmp[1] = 'A';
    cases.push_back({"no signature", notBmp});
    const std::vector<std::uint8_t> whole = Build(good);
    for (std::size_t cut : {std::size_t(0), std::size_t(2), std::size_t(14), std::size_t(30), std::size_t(53)})
        cases.push_back({"cut inside the headers", std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut)});
    for (const Case& c : cases) EXPECT_FALSE(ParseBmp(c.bytes.data(), c.bytes.size())) << c.what;
    EXPECT_FALSE(ParseBmp(nullptr, 100));
    EXPECT_FALSE(ReadBmpFile("/nonexistent/folder/picture.bmp"));
}

}  // namespace
}  // namespace vtl
