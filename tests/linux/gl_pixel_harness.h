#pragma once
// The engine on the OpenGL device, off screen: an EGL context without any window
// system (Mesa's software renderer unless the environment picks another), a device
// made by the engine on it, and the frame read back from the device's back buffer.
// The same scenes and tolerances as the Direct3D pixel tests under Wine, so both
// back ends answer to one picture. Writers for the files the engine loads, too.
//
// VTL_NO_GL=1 in the environment skips these tests (a machine without any OpenGL);
// otherwise a context that cannot be made fails them, saying why.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d.h"
#include "platform/linux/gl_device.h"

namespace vtl::gltest {

struct Rgb {
    int r, g, b;
};
Rgb ToRgb(std::uint32_t argb);
// Every channel within tolerance of the expected one. With VTL_PIXEL_LOG set, every
// comparison is written to standard output, passed or not.
::testing::AssertionResult Near(std::uint32_t argb, Rgb want, int tolerance);

// A surface with no window: Present only finishes the frame.
class OffscreenSurface : public gl::IGlSurface {
public:
    OffscreenSurface(int width, int height, bool window = false) : width_(width), height_(height), window_(window) {}
    void SwapBuffers() override { ++swaps; }
    bool HasWindow() const override { return window_; }
    void ScreenSize(int& width, int& height) const override {
        width = width_;
        height = height_;
    }
    int swaps = 0;

private:
    int width_, height_;
    bool window_;
};

// Makes the process's one EGL context current the first time; false with the reason.
bool MakeGlContextCurrent(std::string& why);
// Whether the environment says there is no OpenGL at all.
bool GlUnavailableByRequest();

// Skips or fails the calling test when there is no context; use first in SetUp.
#define VTL_REQUIRE_GL()                                                                   \
    do {                                                                                   \
        if (::vtl::gltest::GlUnavailableByRequest()) GTEST_SKIP() << "VTL_NO_GL is set";   \
        std::string why_;                                                                  \
        ASSERT_TRUE(::vtl::gltest::MakeGlContextCurrent(why_)) << "no OpenGL context: " << why_; \
    } while (0)

class GlEnginePixelTest : public ::testing::Test {
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
// A folder of its own under the temporary folder, and removing it with its files.
std::string MakeTempFolder();
void RemoveFolder(const std::string& folder);

}  // namespace vtl::gltest
