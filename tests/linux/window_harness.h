#pragma once
// A stand-in for a window with a framebuffer of its own, for the OpenGL device's tests
// of drawing straight into a window: an EGL pbuffer of Mesa's surfaceless platform,
// current with a context of its own while the object lives. The process's shared
// context (pixel_harness.h) is current again, without a surface, once it goes.
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/gl_device.h"

namespace vtl::gltest {

struct WindowFormat {
    int width = 64, height = 48;
    int depthBits = 16;  // 0: no depth buffer
    int alphaBits = 0;
};

class PbufferWindow : public gl::IGlSurface {
public:
    explicit PbufferWindow(const WindowFormat& format);
    ~PbufferWindow() override;
    PbufferWindow(const PbufferWindow&) = delete;
    PbufferWindow& operator=(const PbufferWindow&) = delete;

    // Whether the pbuffer and its context were made (why not, otherwise).
    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }

    void SwapBuffers() override { ++swaps; }
    bool HasWindow() const override { return true; }
    void ScreenSize(int& width, int& height) const override {
        width = format_.width;
        height = format_.height;
    }
    // The size the window system last told of: a resize not yet followed by the
    // drawable is what a test sets here.
    void WindowSize(int& width, int& height) const override {
        width = reportedWidth;
        height = reportedHeight;
    }

    // The window's framebuffer filled with magenta behind the device's back, so that
    // what the device draws there, and when, shows.
    void Paint() const;
    // The window's framebuffer as it holds now, top row first, 0x00RRGGBB; read
    // behind the device's back.
    std::vector<std::uint32_t> Pixels() const;

    int swaps = 0;
    int reportedWidth = 0, reportedHeight = 0;

private:
    WindowFormat format_;
    bool ok_ = false;
    std::string why_;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    void* sharedContext_ = nullptr;
};

}  // namespace vtl::gltest
