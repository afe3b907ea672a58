// The files the asset build leaves behind: the packs hold what the saver loads,
// every picture and sound decodes in the form its loader expects, loops have no
// seam, and the generator writes the same bytes every time. Native builds only:
// the generator runs on the build machine.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

// jpeglib.h needs FILE declared before it.
#include <jpeglib.h>

#include "formats/wavefile.h"
#include "pack/assetnames.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::vector<std::string> kSceneAssets(vtl::kScenePackEntries.begin(), vtl::kScenePackEntries.end());
const std::vector<std::string> kSoundAssets(vtl::kSoundPackEntries.begin(), vtl::kSoundPackEntries.end());

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Asset(const std::string& name) { return ReadAll(fs::path(VTL_ASSETS_DIR) / name); }

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Le16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

struct PackEntry {
    std::string name;
    Bytes data;
};

// Reads a whole pack; an empty result with `ok` false means it is malformed.
std::vector<PackEntry> ReadPack(const Bytes& pak, bool& ok) {
    ok = false;
    std::vector<PackEntry> entries;
    if (pak.size() < 32 || std::memcmp(pak.data(), "VOXAPACK", 8) != 0 || Le32(pak, 8) != 1) return entries;
    const std::uint32_t count = Le32(pak, 12);
    std::size_t data = 32 + 32 * static_cast<std::size_t>(count);
    if (data > pak.size()) return entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 32 + 32 * static_cast<std::size_t>(i);
        const std::size_t length = pak[at], size = Le32(pak, at + 28);
        if (length > 27 || data + size > pak.size()) return {};
        entries.push_back(
            {std::string(pak.begin() + static_cast<long>(at) + 1, pak.begin() + static_cast<long>(at + 1 + length)),
             Bytes(pak.begin() + static_cast<long>(data), pak.begin() + static_cast<long>(data + size))});
        data += size;
    }
    ok = data == pak.size();
    return entries;
}

TEST(GeneratedPacks, HoldExactlyTheAssetsTheSaverLoadsByteForByte) {
    const struct {
        const char* pack;
        const std::vector<std::string>& names;
    } kPacks[] = {{vtl::kScenePackName, kSceneAssets}, {vtl::kSoundPackName, kSoundAssets}};
    for (const auto& expected : kPacks) {
        SCOPED_TRACE(expected.pack);
        bool ok = false;
        const std::vector<PackEntry> entries = ReadPack(ReadAll(fs::path(VTL_PACKS_DIR) / expected.pack), ok);
        ASSERT_TRUE(ok) << "missing, malformed or with trailing bytes";
        std::vector<std::string> names;
        for (const PackEntry& e : entries) names.push_back(e.name);
        EXPECT_EQ(names, expected.names);
        for (const PackEntry& e : entries)
            EXPECT_TRUE(e.data == Asset(e.name)) << e.name << " differs from the generated file";
    }
}

struct DecodedJpeg {
    int width = 0, height = 0, components = 0;
    Bytes pixels;
};

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

bool DecodeJpeg(const Bytes& file, DecodedJpeg& out) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.components = cinfo.output_components;
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height * out.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &out.pixels[static_cast<std::size_t>(cinfo.output_scanline) * out.width * out.components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Mean of R+G+B over the rows [y0, y1).
double MeanBrightness(const DecodedJpeg& image, int y0, int y1) {
    double sum = 0;
    for (std::size_t i = static_cast<std::size_t>(y0) * image.width * 3;
         i < static_cast<std::size_t>(y1) * image.width * 3; ++i)
        sum += image.pixels[i];
    return sum / ((y1 - y0) * image.width);
}

TEST(GeneratedPictures, JpegsDecodeAsColourPicturesOfTheirSize) {
    const struct {
        const char* name;
        int width, height;
    } kPictures[] = {{vtl::kBackgroundPictureFile, 512, 512}, {vtl::kEnvironmentMapFile, 256, 256}};
    for (const auto& p : kPictures) {
        SCOPED_TRACE(p.name);
        DecodedJpeg image;
        ASSERT_TRUE(DecodeJpeg(Asset(p.name), image));
        EXPECT_EQ(image.width, p.width);
        EXPECT_EQ(image.height, p.height);
        EXPECT_EQ(image.components, 3);
    }
}

TEST(GeneratedPictures, BackgroundIsNightAndEnvironmentHasSkyAboveCityBelow) {
    DecodedJpeg city, env;
    ASSERT_TRUE(DecodeJpeg(Asset(vtl::kBackgroundPictureFile), city));
    ASSERT_TRUE(DecodeJpeg(Asset(vtl::kEnvironmentMapFile), env));
    EXPECT_LT(MeanBrightness(city, 0, city.height), 3 * 60.0) << "an average channel above 60 is no night sky";
    // Normals pointing up sample the top of the sphere map; they must see the sky.
    const double sky = MeanBrightness(env, env.height / 8, env.height * 3 / 8);
    const double city_lights = MeanBrightness(env, env.height * 5 / 8, env.height * 7 / 8);
    EXPECT_GT(sky, 1.5 * city_lights);
}

TEST(GeneratedFont, IsA24BitStripOf16CellsOnPureBlack) {
    const Bytes bmp = Asset(vtl::kNumFontFile);
    ASSERT_GE(bmp.size(), 54u);
    ASSERT_EQ(bmp[0], 'B');
    ASSERT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    const std::uint32_t offset = Le32(bmp, 10);
    const int width = static_cast<int>(Le32(bmp, 18)), height = static_cast<int>(Le32(bmp, 22));
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le16(bmp, 26), 1);
    ASSERT_EQ(Le16(bmp, 28), 24);
    ASSERT_EQ(Le32(bmp, 30), 0u) << "compressed";
    ASSERT_GT(height, 0) << "rows must be stored bottom-up";
    ASSERT_EQ(width % 16, 0);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    ASSERT_EQ(bmp.size(), offset + stride * height);

    const int cell = width / 16;
    std::vector<Bytes> cells(16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* px = &bmp[offset + static_cast<std::size_t>(height - 1 - y) * stride + x * 3];
            const bool black = px[0] == 0 && px[1] == 0 && px[2] == 0;
            // The loader keys out exact black only: anything darker than the
            // anti-aliased edge would show as a dark speck.
            ASSERT_TRUE(black || (px[0] == px[1] && px[1] == px[2] && px[0] >= 16)) << "at " << x << "," << y;
            const int cx = x % cell;
            if (cx == 0 || cx == cell - 1 || y == 0 || y == height - 1) {
                ASSERT_TRUE(black) << "ink on the border of cell " << x / cell
                                   << " would bleed into its neighbours under filtering";
            }
            cells[static_cast<std::size_t>(x / cell)].push_back(px[0]);
        }
    }
    for (int g = 0; g < 16; ++g) {
        const bool inked = std::any_of(cells[g].begin(), cells[g].end(), [](std::uint8_t v) { return v != 0; });
        EXPECT_EQ(inked, g != 11) << "cell " << g << " (cell 11 is the space)";
    }
    EXPECT_EQ(std::set<Bytes>(cells.begin(), cells.end()).size(), 16u) << "two glyphs are identical";
}

struct Wave {
    std::uint16_t format = 0, channels = 0, bits = 0, blockAlign = 0;
    std::uint32_t rate = 0, byteRate = 0;
    std::vector<std::int16_t> samples;
};

// Walks the RIFF chunks the way a strict reader does; false on any inconsistency.
bool ParseWave(const Bytes& file, Wave& w) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 || std::memcmp(&file[8], "WAVE", 4) != 0)
        return false;
    if (Le32(file, 4) != file.size() - 8) return false;
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::uint32_t size = Le32(file, at + 4);
        if (at + 8 + size > file.size()) return false;
        if (std::memcmp(&file[at], "fmt ", 4) == 0 && size >= 16) {
            w.format = Le16(file, at + 8);
            w.channels = Le16(file, at + 10);
            w.rate = Le32(file, at + 12);
            w.byteRate = Le32(file, at + 16);
            w.blockAlign = Le16(file, at + 20);
            w.bits = Le16(file, at + 22);
            haveFormat = true;
        } else if (std::memcmp(&file[at], "data", 4) == 0) {
            if (!haveFormat || size % 2 != 0) return false;
            for (std::size_t i = 0; i < size; i += 2)
                w.samples.push_back(static_cast<std::int16_t>(Le16(file, at + 8 + i)));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

TEST(GeneratedSounds, AreAudibleUnclippedMono16BitPcmAndJoinWithoutClicks) {
    for (const std::string& name : kSoundAssets) {
        SCOPED_TRACE(name);
        const Bytes file = Asset(name);
        Wave w;
        ASSERT_TRUE(ParseWave(file, w));
        // The saver's own reader, used where the audio back end takes raw samples.
        const std::optional<vtl::PcmWave> ours = vtl::ParsePcmWave(file.data(), file.size());
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(ours->FrameCount(), w.samples.size());
        EXPECT_EQ(w.format, 1) << "not PCM";
        EXPECT_EQ(w.channels, 1) << "3D sound buffers take mono only";
        EXPECT_EQ(w.bits, 16);
        EXPECT_TRUE(w.rate == 22050 || w.rate == 44100) << w.rate;
        EXPECT_EQ(w.blockAlign, 2);
        EXPECT_EQ(w.byteRate, w.rate * 2);
        const double seconds = static_cast<double>(w.samples.size()) / w.rate;
        EXPECT_GE(seconds, 0.3);
        EXPECT_LE(seconds, 10.0);

        int peak = 0;
        double step = 0;
        for (std::size_t i = 0; i < w.samples.size(); ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(w.samples[i])));
            if (i > 0) step += std::abs(w.samples[i] - w.samples[i - 1]);
        }
        step /= static_cast<double>(w.samples.size() - 1);
        EXPECT_GT(peak, 32767 * 3 / 10) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";

        const int first = w.samples.front(), last = w.samples.back();
        const bool loops = name == vtl::kBackgroundLoopFile || name == vtl::kHelicopterLoopFile;
        if (loops) {
            // Played on repeat, the last sample runs into the first: that step must be
            // an ordinary one, not a click.
            EXPECT_LE(std::abs(first - last), 3 * step) << "typical step " << step;
        } else {
            EXPECT_LE(std::abs(first), 328) << "starts with a click";
            EXPECT_LE(std::abs(last), 328) << "stops with a click";
        }
    }
}

std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// The build's run is the first; one more into a fresh folder must give the same
// files, byte for byte (a generator run costs seconds, so only one here). This
// run keeps libjpeg off its SIMD code, so machines without it get the same JPEGs.
TEST(AssetGenerator, WritesTheSameBytesOnEveryRun) {
    // A folder of this process's own: builds side by side run this test at once.
    const fs::path out = fs::temp_directory_path() / ("vtl_assetgen_determinism_" + std::to_string(::getpid()));
    fs::remove_all(out);
    const std::string command = std::string("JSIMD_FORCENONE=1 \"") + VTL_ASSETGEN + "\" \"" + out.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::set<std::string> names = FileNames(out);
    for (const std::string& name : kSceneAssets) EXPECT_EQ(names.count(name), 1u) << name;
    for (const std::string& name : kSoundAssets) EXPECT_EQ(names.count(name), 1u) << name;
    for (const std::string& name : names) {
        EXPECT_TRUE(ReadAll(out / name) == Asset(name)) << name << " differs between two runs";
    }
    fs::remove_all(out);
}

}  // namespace

#endif
