#pragma once
// The frame drawn by a real Direct3D 8 device made by the engine in a window, read
// back from the device's back buffer.
#include "support/pixel_frame.h"

namespace vtl::pixeltest {

class EnginePixelTest : public PixelFrame {
protected:
    void SetUp() override;
    void TearDown() override;
    void FinishFrame() override;

private:
    void* window_ = nullptr;
};

}  // namespace vtl::pixeltest

namespace vtl::testing {

using pixeltest::Corner;
using pixeltest::EnginePixelTest;
using pixeltest::Near;
using pixeltest::Rgb;
using pixeltest::ToRgb;
using pixeltest::WriteBmp;
using pixeltest::WriteBytes;
using pixeltest::WriteMesh;

}  // namespace vtl::testing
