#pragma once
// A window with a real Direct3D 8 device made by the engine, and the pixels of the
// frame read back from the device's back buffer. Also writers for the files the
// engine loads (meshes, 24-bit BMPs).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d.h"

namespace vtl::testing {

struct Rgb {
    int r, g, b;
};
Rgb ToRgb(std::uint32_t argb);
// Every channel within tolerance of the expected one.
::testing::AssertionResult Near(std::uint32_t argb, Rgb want, int tolerance);

class EnginePixelTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    void SetUp() override;
    void TearDown() override;

    // BeginFrame, clear to colour, the scene's camera at (0, 0, 1.44) toward the origin.
    void StartFrame(D3DCOLOR clear = 0);
    // Reads the drawn frame back, then ends it with EndFrame.
    void FinishFrame();
    std::uint32_t Pixel(int x, int y) const;
    // The pixel where a world point lands with the identity world matrix.
    std::uint32_t PixelAt(float x, float y, float z) const;
    void ScreenOf(float x, float y, float z, int& px, int& py) const;

    std::string Path(const std::string& name) const;

    TRenderInfo* R() { return renderer_.get(); }

private:
    void* window_ = nullptr;
    std::unique_ptr<TRenderInfo> renderer_;
    std::vector<std::uint32_t> pixels_;
    int pitch_ = 0;
    D3DMATRIX view_{}, projection_{};
    std::string folder_;
};

// Writes a mesh file of the given triangles (positions and normals per corner, no
// texture coordinates).
struct Corner {
    D3DVECTOR p, n;
};
void WriteMesh(const std::string& path, const std::vector<Corner>& corners);
// Writes a 24-bit bottom-up BMP; the alpha of each pixel is ignored.
void WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb);
void WriteBytes(const std::string& path, const void* data, std::size_t size);

}  // namespace vtl::testing
