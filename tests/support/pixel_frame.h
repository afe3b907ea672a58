#pragma once
// What a pixel test sees of the engine's frame, whatever device drew it: the scene's
// camera, the frame read back, pixels by screen or by world position, and writers for
// the files the engine loads (meshes, 24-bit BMPs). Each render device's test program
// derives its EnginePixelTest from PixelFrame: it makes the renderer in SetUp and reads
// the back buffer in FinishFrame. The scenes in tests/shared then hold every device to
// one picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d.h"

namespace vtl::pixeltest {

struct Rgb {
    int r, g, b;
};
Rgb ToRgb(std::uint32_t argb);
// Every channel within tolerance of the expected one. With VTL_PIXEL_LOG set, every
// comparison is written to standard output, passed or not.
::testing::AssertionResult Near(std::uint32_t argb, Rgb want, int tolerance);

// Writes a mesh file of the given triangles (positions and normals per corner, no
// texture coordinates).
struct Corner {
    D3DVECTOR p, n;
};
void WriteMesh(const std::string& path, const std::vector<Corner>& corners);
// Writes a 24-bit bottom-up BMP; the alpha of each pixel is ignored.
void WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb);
void WriteBytes(const std::string& path, const void* data, std::size_t size);

// A cube of half-size 1 around the origin, outward normals, each face's corners
// clockwise as seen from outside (the front side).
std::vector<Corner> Cube();
// A sphere of the given radius around the origin, normals outward.
std::vector<Corner> Sphere(float radius, int rings, int segments);

inline constexpr int kTol = 4;    // per channel, for lit and filtered colours (rasteriser rounding)
inline constexpr int kLit = 191;  // 0.75 of 255: the renderer's one light, head on

class PixelFrame : public ::testing::Test {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    // BeginFrame, clear to colour, the scene's camera at (0, 0, 1.44) toward the origin.
    void StartFrame(D3DCOLOR clear = 0);
    // Reads the drawn frame back into pixels_ (rows of pitch_), then ends it.
    virtual void FinishFrame() = 0;
    std::uint32_t Pixel(int x, int y) const;
    // The pixel where a world point lands with the identity world matrix.
    std::uint32_t PixelAt(float x, float y, float z) const;
    void ScreenOf(float x, float y, float z, int& px, int& py) const;
    // A file in the test's own folder.
    std::string Path(const std::string& name) const;

    TRenderInfo* R() { return renderer_.get(); }

    std::unique_ptr<TRenderInfo> renderer_;
    std::vector<std::uint32_t> pixels_;
    int pitch_ = 0;
    std::string folder_;

private:
    D3DMATRIX view_{}, projection_{};
};

}  // namespace vtl::pixeltest
