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
#include "platform/gl/gl_device.h"
#include "support/pixel_frame.h"

namespace vtl::gltest {

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
#define VTL_REQUIRE_GL()                                                                         \
    do {                                                                                         \
        if (::vtl::gltest::GlUnavailableByRequest()) GTEST_SKIP() << "VTL_NO_GL is set";         \
        std::string why_;                                                                        \
        ASSERT_TRUE(::vtl::gltest::MakeGlContextCurrent(why_)) << "no OpenGL context: " << why_; \
    } while (0)

}  // namespace vtl::gltest

namespace vtl::pixeltest {

// The frame drawn by the OpenGL device on the off-screen context.
class EnginePixelTest : public PixelFrame {
protected:
    void SetUp() override;
    void TearDown() override;
    void FinishFrame() override;
};

}  // namespace vtl::pixeltest

namespace vtl::gltest {

using GlEnginePixelTest = pixeltest::EnginePixelTest;
using pixeltest::Corner;
using pixeltest::Near;
using pixeltest::Rgb;
using pixeltest::ToRgb;
using pixeltest::WriteBmp;
using pixeltest::WriteBytes;
using pixeltest::WriteMesh;

// A folder of its own under the temporary folder, and removing it with its files.
std::string MakeTempFolder();
void RemoveFolder(const std::string& folder);

}  // namespace vtl::gltest
