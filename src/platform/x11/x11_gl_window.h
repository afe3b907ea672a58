#pragma once
// The X side of the Linux program: the window it draws into and an OpenGL 3.3 core
// context on it through GLX. XScreenSaver's window (or any window named by id) is drawn
// into directly when its visual can take OpenGL; otherwise a child window of a visual
// that can covers it and follows its size. Left out: input (XScreenSaver watches the
// keyboard and mouse itself), more than one screen.
#include <X11/Xlib.h>

#include <cstdint>
#include <string>

#include "platform/gl/gl_device.h"

namespace vtl::x11 {

// Which window to draw into.
enum class WindowTarget { OwnWindow, Root, WindowId };

struct WindowRequest {
    WindowTarget target = WindowTarget::OwnWindow;
    std::uint64_t windowId = 0;  // WindowTarget::WindowId
    // The window $XSCREENSAVER_WINDOW names, 0 for none: for WindowTarget::Root the
    // virtual root, when it exists.
    std::uint64_t screensaverWindow = 0;
    std::string display;            // empty: $DISPLAY
    int width = 800, height = 600;  // for a window of its own
};

// What the window system told the loop since it last asked.
struct WindowEvents {
    bool closed = false;  // the window went away, or its user closed it
    bool resized = false;
};

// Xlib ends the program when the display goes away (the X server stopped); this runs
// first, so what the run unpacked does not stay behind.
void SetDisplayLostCleanup(void (*cleanup)());

class X11GlWindow : public gl::IGlSurface {
public:
    // Opens the display and makes the window and the context current on this thread.
    // Raises std::runtime_error with a message for a person on any failure.
    explicit X11GlWindow(const WindowRequest& request);
    ~X11GlWindow() override;
    X11GlWindow(const X11GlWindow&) = delete;
    X11GlWindow& operator=(const X11GlWindow&) = delete;

    void SwapBuffers() override;
    bool HasWindow() const override { return true; }
    void ScreenSize(int& width, int& height) const override;
    void WindowSize(int& width, int& height) const override;

    int ConnectionFd() const;
    WindowEvents TakeEvents();
    ::Window DrawWindow() const { return drawWindow_; }
    Display* XDisplay() const { return display_; }

private:
    ::Window ChooseTarget(const WindowRequest& request);
    // Lets go of the context, the windows made here and the display; once.
    void Close();
    void MakeContext();

    Display* display_ = nullptr;
    int screen_ = 0;
    ::Window target_ = 0;      // the window asked for
    ::Window drawWindow_ = 0;  // the one the context draws into
    bool ownTarget_ = false;   // made by us: destroyed at the end
    bool ownChild_ = false;
    ::Atom deleteWindow_ = 0;
    void* context_ = nullptr;  // GLXContext
    int width_ = 0, height_ = 0;
};

}  // namespace vtl::x11
