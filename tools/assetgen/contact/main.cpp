// vtl_contact OUTDIR ASSETDIR: renders the generated assets so a person can judge
// them - the meshes are read back through the saver's own mesh loader, and the
// frames are drawn with the saver's matrices, light and reflection set-up.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "contact/legacy_skull.h"
#include "contact/png.h"
#include "contact/readers.h"
#include "engine/e3dmath.h"
#include "engine/voxamesh.h"
#include "meshes.h"
#include "pack/assetnames.h"
#include "preview.h"
#include "raster.h"
#include "scene/scene_layout.h"

namespace {

using vtl::MeshData;
using vtl::Raster;
using vtl::RgbImage;

MeshData LoadMesh(const std::string& path) {
    std::int32_t t = 0, v = 0, n = 0, u = 0;
    MeshData mesh;
    if (!std::filesystem::exists(path) || vtl::LoadMeshFile(path, t, v, n, u, mesh) != 0)
        throw std::runtime_error("cannot load mesh " + path);
    std::printf("%s: %d triangles, %d positions, %d normals, %d texture coordinates\n", path.c_str(), t, v, n, u);
    return mesh;
}

// Places images side by side in rows of `columns`, on a dark grey ground.
RgbImage Tile(const std::vector<RgbImage>& images, int columns) {
    int cellW = 0, cellH = 0;
    for (const RgbImage& im : images) {
        cellW = std::max(cellW, im.width);
        cellH = std::max(cellH, im.height);
    }
    const int pad = 4, rows = (static_cast<int>(images.size()) + columns - 1) / columns;
    RgbImage out;
    out.width = columns * (cellW + pad) + pad;
    out.height = rows * (cellH + pad) + pad;
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 48);
    for (size_t i = 0; i < images.size(); ++i) {
        const int ox = pad + static_cast<int>(i % columns) * (cellW + pad);
        const int oy = pad + static_cast<int>(i / columns) * (cellH + pad);
        for (int y = 0; y < images[i].height; ++y)
            for (int x = 0; x < images[i].width * 3; ++x)
                out.rgb[(static_cast<size_t>(oy + y) * out.width + ox) * 3 + x] =
                    images[i].rgb[static_cast<size_t>(y) * images[i].width * 3 + x];
    }
    return out;
}

RgbImage Model(const MeshData& skull, const MeshData* glasses, const vtl::D3DMATRIX& world,
               const vtl::D3DMATRIX& glassesWorld) {
    const int aa = 2;
    Raster r(360 * aa, 360 * aa);
    r.Clear(40, 56, 72);
    r.SetCamera(1.1f);
    r.SetWorld(world);
    r.DrawMesh(skull, vtl::VertexColour(vtl::kSkullColor).rgb);
    if (glasses != nullptr) {
        r.SetWorld(glassesWorld);
        r.DrawMesh(*glasses, vtl::VertexColour(vtl::kGlassesColor).rgb);
    }
    return Raster::Downsample(r.Image(), aa);
}

// A waveform strip of a 16-bit PCM WAV: min/max per column, channels mixed.
RgbImage Waveform(const std::string& path) {
    RgbImage out;
    out.width = 512;
    out.height = 96;
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 24);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return out;
    std::vector<std::uint8_t> b;
    std::uint8_t buf[65536];
    size_t got = 0;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + got);
    std::fclose(f);
    // Find the "fmt " and "data" chunks.
    size_t pos = 12, data = 0, dataSize = 0;
    int channels = 1, bits = 16;
    while (pos + 8 <= b.size()) {
        const std::uint32_t size =
            b[pos + 4] | (b[pos + 5] << 8) | (b[pos + 6] << 16) | (static_cast<std::uint32_t>(b[pos + 7]) << 24);
        if (std::equal(b.begin() + pos, b.begin() + pos + 4, "fmt ") && pos + 24 <= b.size()) {
            channels = b[pos + 10] | (b[pos + 11] << 8);
            bits = b[pos + 22] | (b[pos + 23] << 8);
        } else if (std::equal(b.begin() + pos, b.begin() + pos + 4, "data")) {
            data = pos + 8;
            dataSize = std::min<size_t>(size, b.size() - data);
            break;
        }
        pos += 8 + size + (size & 1);
    }
    if (data == 0 || bits != 16 || channels < 1) return out;
    const size_t frames = dataSize / (2 * static_cast<size_t>(channels));
    for (int x = 0; x < out.width && frames > 0; ++x) {
        const size_t a = frames * x / out.width, e = std::max(a + 1, frames * (x + 1) / out.width);
        int lo = 32767, hi = -32768;
        for (size_t i = a; i < e; ++i) {
            int s = 0;
            for (int c = 0; c < channels; ++c) {
                const size_t o = data + (i * channels + c) * 2;
                s += static_cast<std::int16_t>(b[o] | (b[o + 1] << 8));
            }
            s /= channels;
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
        const int y0 = out.height / 2 - hi * (out.height / 2) / 32768,
                  y1 = out.height / 2 - lo * (out.height / 2) / 32768;
        for (int y = std::max(0, y0); y <= std::min(out.height - 1, y1); ++y) {
            std::uint8_t* px = &out.rgb[(static_cast<size_t>(y) * out.width + x) * 3];
            px[0] = 120;
            px[1] = 220;
            px[2] = 140;
        }
    }
    return out;
}

// The skull from the front, both sides and the back as the scene tips it, and from
// straight below with the face up: the five sides a turning skull must read from.
std::vector<RgbImage> FiveSides(const MeshData& skull) {
    const float deg = 3.14159265f / 180.0f;
    const vtl::D3DMATRIX below =
        vtl::MatrixMultiply(vtl::MakeRotationZMatrix(-90 * deg), vtl::MakeRotationXMatrix(180 * deg));
    std::vector<RgbImage> views;
    for (float a : {-90.0f, 0.0f, 180.0f, 90.0f}) views.push_back(Model(skull, nullptr, vtl::SkullWorld(a), below));
    views.push_back(Model(skull, nullptr, below, below));
    return views;
}

RgbImage Shrink(const RgbImage& image, int factor) { return factor > 1 ? Raster::Downsample(image, factor) : image; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vtl_contact OUTDIR ASSETDIR\n");
        return 2;
    }
    try {
        const std::string out = argv[1], assets = argv[2];
        std::filesystem::create_directories(out);
        const auto asset = [&assets](const char* name) { return assets + "/" + name; };
        const MeshData skull = LoadMesh(asset(vtl::kSkullMeshFile));
        const MeshData glasses = LoadMesh(asset(vtl::kGlassesMeshFile));
        const RgbImage background = vtl::ReadJpegFile(asset(vtl::kBackgroundPictureFile));
        const RgbImage environment = vtl::ReadJpegFile(asset(vtl::kEnvironmentMapFile));

        // The skull alone: the scene's own turn for the front (-90), side (0) and a
        // three-quarter view, and straight down on the crown with the face up.
        const float deg = 3.14159265f / 180.0f;
        const vtl::D3DMATRIX top = vtl::MakeRotationZMatrix(90 * deg);
        std::vector<RgbImage> views = {Model(skull, nullptr, vtl::SkullWorld(-90), top),
                                       Model(skull, nullptr, vtl::SkullWorld(0), top), Model(skull, nullptr, top, top),
                                       Model(skull, nullptr, vtl::SkullWorld(-45), top)};
        vtl::WritePng(out + "/skull_views.png", Tile(views, 4));

        // Before and after: the previous generator's skull on the top row, the one in
        // the asset files below it, seen from the same five sides.
        const MeshData old = vtl::ToMeshData(vtl::legacy::BuildLegacySkull());
        std::printf("previous skull: %zu triangles\n", old.triangles.size());
        std::vector<RgbImage> compared = FiveSides(old);
        for (RgbImage& view : FiveSides(skull)) compared.push_back(std::move(view));
        vtl::WritePng(out + "/skull_old_new.png", Tile(compared, 5));

        std::vector<RgbImage> worn;
        for (float a : {-90.0f, -45.0f, 0.0f, 60.0f})
            worn.push_back(Model(skull, &glasses, vtl::SkullWorld(a), vtl::GlassesWorld(a)));
        vtl::WritePng(out + "/glasses_on_skull.png", Tile(worn, 4));

        // The saver's frame at several turns, with the default reflections, and one
        // without them; 640 x 480 like a small screen.
        std::vector<RgbImage> frames;
        for (float a : {-90.0f, -60.0f, -20.0f, 30.0f, 90.0f, 150.0f}) {
            const RgbImage frame = Shrink(vtl::RenderScene(1280, 960, background, a, skull, &glasses, &environment), 2);
            frames.push_back(Shrink(frame, 2));
            if (a == -90.0f) vtl::WritePng(out + "/scene_front.png", frame);
        }
        vtl::WritePng(out + "/scene_turns.png", Tile(frames, 3));
        vtl::WritePng(out + "/scene_unreflected.png",
                      Shrink(vtl::RenderScene(1280, 960, background, -60.0f, skull, &glasses, nullptr), 2));
        // The small picture for the project's documentation.
        vtl::WritePng(out + "/skull.png",
                      Shrink(vtl::RenderScene(960, 720, background, -65.0f, skull, &glasses, &environment), 3));

        vtl::WritePng(out + "/pictures.png", Tile({background, environment}, 2));
        const std::string font = asset(vtl::kNumFontFile);
        if (std::filesystem::exists(font)) vtl::WritePng(out + "/numfont.png", vtl::ReadBmpPicture(font));
        const std::string preview = assets + "/preview.bmp";
        if (std::filesystem::exists(preview)) vtl::WritePng(out + "/preview.png", vtl::ReadBmpPicture(preview));

        std::vector<RgbImage> waves;
        for (const char* name : vtl::kSoundPackEntries)
            if (std::filesystem::exists(asset(name))) waves.push_back(Waveform(asset(name)));
        if (!waves.empty()) vtl::WritePng(out + "/sounds.png", Tile(waves, 1));
        std::printf("contact sheet written to %s\n", out.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtl_contact: %s\n", e.what());
        return 1;
    }
}
