// Reads screenshots of the test display (`xwd -root`) so tests can check pixels
// without an image library:
//   xwdtool pixel FILE X Y                 -> "R G B"
//   xwdtool mean  FILE X0 Y0 X1 Y1         -> mean "R G B" of [X0,X1) x [Y0,Y1)
//   xwdtool diff  A B X0 Y0 X1 Y1          -> mean absolute channel difference (0..255)
//   xwdtool png   FILE OUT.png             -> the picture as a PNG (stored, uncompressed)
//   xwdtool size  FILE                     -> "W H"
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) throw std::runtime_error("pixel outside the picture");
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("short xwd header");
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

int Shift(std::uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++s;
    return s;
}

Picture ReadXwd(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto field = [&](int i) { return Be32(b, static_cast<std::size_t>(i) * 4); };
    const std::uint32_t headerSize = field(0), format = field(2), width = field(4), height = field(5),
                        byteOrder = field(7), bitsPerPixel = field(11), bytesPerLine = field(12), redMask = field(14),
                        greenMask = field(15), blueMask = field(16), colormapEntries = field(19);
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) || width > 16384 || height > 16384)
        throw std::runtime_error("unsupported xwd picture");
    const std::size_t data = headerSize + std::size_t{colormapEntries} * 12;
    if (data + std::size_t{bytesPerLine} * height > b.size()) throw std::runtime_error("short xwd picture");
    Picture p;
    p.width = static_cast<int>(width);
    p.height = static_cast<int>(height);
    p.rgb.resize(std::size_t{width} * height * 3);
    const int bytes = static_cast<int>(bitsPerPixel / 8);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* s = &b[data + std::size_t{y} * bytesPerLine + std::size_t{x} * bytes];
            std::uint32_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= std::uint32_t{s[byteOrder == 0 ? i : bytes - 1 - i]} << (8 * i);  // 0: LSBFirst
            std::uint8_t* d = &p.rgb[(std::size_t{y} * width + x) * 3];
            d[0] = static_cast<std::uint8_t>((v & redMask) >> Shift(redMask));
            d[1] = static_cast<std::uint8_t>((v & greenMask) >> Shift(greenMask));
            d[2] = static_cast<std::uint8_t>((v & blueMask) >> Shift(blueMask));
        }
    return p;
}

std::uint32_t Crc(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0xFFFFFFFFu) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc;
}

void WritePng(const Picture& p, const std::string& path) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), p.At(0, y), p.At(0, y) + p.width * 3);
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    std::uint32_t a = 1, bsum = 0;
    for (auto c : raw) a = (a + c) % 65521, bsum = (bsum + a) % 65521;
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(n & 0xFF), z.push_back(n >> 8), z.push_back(~n & 0xFF), z.push_back((~n >> 8) & 0xFF);
        z.insert(z.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
        if (n == 0) break;
    }
    const std::uint32_t adler = bsum << 16 | a;
    for (int s = 24; s >= 0; s -= 8) z.push_back(static_cast<std::uint8_t>(adler >> s));
    std::ofstream out(path, std::ios::binary);
    const auto put32 = [&](std::uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.put(static_cast<char>(v >> s));
    };
    const auto chunk = [&](const char* type, const std::vector<std::uint8_t>& body) {
        put32(static_cast<std::uint32_t>(body.size()));
        std::vector<std::uint8_t> typed(type, type + 4);
        typed.insert(typed.end(), body.begin(), body.end());
        out.write(reinterpret_cast<const char*>(typed.data()), static_cast<long>(typed.size()));
        put32(Crc(typed.data(), typed.size()) ^ 0xFFFFFFFFu);
    };
    out.write("\x89PNG\r\n\x1a\n", 8);
    std::vector<std::uint8_t> ihdr;
    for (std::uint32_t v : {static_cast<std::uint32_t>(p.width), static_cast<std::uint32_t>(p.height)})
        for (int s = 24; s >= 0; s -= 8) ihdr.push_back(static_cast<std::uint8_t>(v >> s));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::array<double, 3> Mean(const Picture& p, int x0, int y0, int x1, int y1) {
    std::array<double, 3> sum{};
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += p.At(x, y)[c];
    if (n == 0) throw std::runtime_error("empty rectangle");
    for (auto& s : sum) s /= static_cast<double>(n);
    return sum;
}

int Arg(char** argv, int i) { return std::atoi(argv[i]); }

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string cmd = argc > 1 ? argv[1] : "";
        if (cmd == "pixel" && argc == 5) {
            const auto p = ReadXwd(argv[2]);
            const auto* px = p.At(Arg(argv, 3), Arg(argv, 4));
            std::printf("%d %d %d\n", px[0], px[1], px[2]);
        } else if (cmd == "mean" && argc == 7) {
            const auto m = Mean(ReadXwd(argv[2]), Arg(argv, 3), Arg(argv, 4), Arg(argv, 5), Arg(argv, 6));
            std::printf("%.1f %.1f %.1f\n", m[0], m[1], m[2]);
        } else if (cmd == "diff" && argc == 8) {
            const auto a = ReadXwd(argv[2]), b = ReadXwd(argv[3]);
            double sum = 0;
            long n = 0;
            for (int y = Arg(argv, 5); y < Arg(argv, 7); ++y)
                for (int x = Arg(argv, 4); x < Arg(argv, 6); ++x, ++n)
                    for (int c = 0; c < 3; ++c) sum += std::abs(a.At(x, y)[c] - b.At(x, y)[c]);
            std::printf("%.2f\n", n ? sum / (3.0 * static_cast<double>(n)) : 0.0);
        } else if (cmd == "png" && argc == 4) {
            WritePng(ReadXwd(argv[2]), argv[3]);
        } else if (cmd == "size" && argc == 3) {
            const auto p = ReadXwd(argv[2]);
            std::printf("%d %d\n", p.width, p.height);
        } else {
            std::fprintf(stderr, "usage: xwdtool pixel|mean|diff|png|size ...\n");
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xwdtool: %s\n", e.what());
        return 1;
    }
    return 0;
}
