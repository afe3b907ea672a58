#include "platform/x11/x11_gl_window.h"

#include <epoxy/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace vtl::x11 {

namespace {

// X reports a bad window id or a vanished window asynchronously; the calls that can
// meet one sync and look here instead of letting Xlib end the program.
int g_lastXError = 0;
int RecordXError(Display*, XErrorEvent* event) {
    g_lastXError = event->error_code;
    return 0;
}

void (*g_displayLostCleanup)() = nullptr;
int OnDisplayLost(Display*) {
    std::fputs("vtl3d: the X display went away\n", stderr);
    if (g_displayLostCleanup) g_displayLostCleanup();
    std::_Exit(1);
}

std::string Hex(std::uint64_t id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(id));
    return text;
}

bool Attributes(Display* display, ::Window window, XWindowAttributes& attributes) {
    g_lastXError = 0;
    const Status ok = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    return ok != 0 && g_lastXError == 0;
}

// XScreenSaver draws hacks into a window of its own that stands in for the root: it
// names it in the environment, and older versions mark it __SWM_VROOT. A hack asked
// for the root window draws there, as every hack does.
::Window VirtualRoot(Display* display, int screen, std::uint64_t named) {
    const ::Window root = RootWindow(display, screen);
    if (named != 0) {
        XWindowAttributes attributes;
        if (Attributes(display, static_cast<::Window>(named), attributes)) return static_cast<::Window>(named);
    }
    const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window found = root;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && found == root; ++i) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                                   &data) == Success &&
                type == XA_WINDOW && items == 1 && data)
                found = *reinterpret_cast<::Window*>(data);
            if (data) XFree(data);
        }
        if (children) XFree(children);
    }
    return found;
}

// Lower is better for the back buffer the engine asks for (16-bit depth, no stencil, no
// alpha): a true-colour visual first (a window of its own gets a colormap nobody fills),
// then a depth buffer of at least 16 bits, then no alpha (a window of an alpha visual
// would show through where the frame's alpha is not 1 under a compositor), then the
// depth closest to 16, then the least stencil. A configuration without depth still
// serves; the device then keeps a depth buffer of its own.
int DepthRank(Display* display, GLXFBConfig config) {
    int type = 0, depth = 0, stencil = 0, alpha = 0;
    glXGetFBConfigAttrib(display, config, GLX_X_VISUAL_TYPE, &type);
    glXGetFBConfigAttrib(display, config, GLX_DEPTH_SIZE, &depth);
    glXGetFBConfigAttrib(display, config, GLX_STENCIL_SIZE, &stencil);
    glXGetFBConfigAttrib(display, config, GLX_ALPHA_SIZE, &alpha);
    return (type == GLX_TRUE_COLOR ? 0 : 1 << 22) + (depth >= 16 ? 0 : 1 << 20) + (alpha > 0 ? 1 << 16 : 0) +
           (depth > 16 ? depth - 16 : 0) * 256 + stencil;
}

}  // namespace

void SetDisplayLostCleanup(void (*cleanup)()) { g_displayLostCleanup = cleanup; }

X11GlWindow::X11GlWindow(const WindowRequest& request) {
    display_ = XOpenDisplay(request.display.empty() ? nullptr : request.display.c_str());
    if (!display_) {
        const char* name = request.display.empty() ? std::getenv("DISPLAY") : request.display.c_str();
        throw std::runtime_error(std::string("cannot open display \"") + (name ? name : "") + "\"");
    }
    XSetErrorHandler(RecordXError);
    XSetIOErrorHandler(OnDisplayLost);
    screen_ = DefaultScreen(display_);
    try {
        target_ = ChooseTarget(request);
        width_ = request.width;
        height_ = request.height;
        MakeContext();
    } catch (...) {
        Close();
        throw;
    }
}

X11GlWindow::~X11GlWindow() { Close(); }

void X11GlWindow::Close() {
    if (!display_) return;
    if (context_) {
        glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, static_cast<GLXContext>(context_));
        context_ = nullptr;
    }
    if (ownChild_ && drawWindow_) XDestroyWindow(display_, drawWindow_);
    if (ownTarget_ && target_) XDestroyWindow(display_, target_);
    XSync(display_, False);
    XCloseDisplay(display_);
    display_ = nullptr;
}

::Window X11GlWindow::ChooseTarget(const WindowRequest& request) {
    switch (request.target) {
        case WindowTarget::Root: return VirtualRoot(display_, screen_, request.screensaverWindow);
        case WindowTarget::WindowId: {
            XWindowAttributes attributes;
            const auto window = static_cast<::Window>(request.windowId);
            if (!Attributes(display_, window, attributes))
                throw std::runtime_error("no window " + Hex(request.windowId) + " on this display");
            return window;
        }
        case WindowTarget::OwnWindow: break;
    }
    return 0;
}

void X11GlWindow::MakeContext() {
    if (!epoxy_has_glx_extension(display_, screen_, "GLX_ARB_create_context") ||
        !epoxy_has_glx_extension(display_, screen_, "GLX_ARB_create_context_profile"))
        throw std::runtime_error("this display offers no OpenGL 3.3 core context (GLX_ARB_create_context)");
    const int wanted[] = {GLX_X_RENDERABLE,
                          True,
                          GLX_DRAWABLE_TYPE,
                          GLX_WINDOW_BIT,
                          GLX_RENDER_TYPE,
                          GLX_RGBA_BIT,
                          GLX_RED_SIZE,
                          1,
                          GLX_GREEN_SIZE,
                          1,
                          GLX_BLUE_SIZE,
                          1,
                          GLX_DOUBLEBUFFER,
                          True,
                          None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display_, screen_, wanted, &count);
    if (!configs || count == 0) {
        if (configs) XFree(configs);
        throw std::runtime_error("this display has no double-buffered OpenGL visual");
    }
    // Among the configurations of the visual wanted, the one whose default framebuffer
    // can stand in for the device's back buffer: the device then draws straight into
    // the window instead of copying every frame over it.
    const auto rank = [this](GLXFBConfig config) { return DepthRank(display_, config); };
    GLXFBConfig chosen = configs[0];
    for (int i = 1; i < count; ++i)
        if (rank(configs[i]) < rank(chosen)) chosen = configs[i];
    XWindowAttributes attributes{};
    bool drawIntoTarget = false;
    if (target_ && Attributes(display_, target_, attributes)) {
        width_ = attributes.width;
        height_ = attributes.height;
        for (int i = 0; i < count; ++i) {
            XVisualInfo* info = glXGetVisualFromFBConfig(display_, configs[i]);
            if (info && info->visualid == XVisualIDFromVisual(attributes.visual) &&
                (!drawIntoTarget || rank(configs[i]) < rank(chosen))) {
                chosen = configs[i];
                drawIntoTarget = true;
            }
            if (info) XFree(info);
        }
    }
    XFree(configs);

    if (drawIntoTarget) {
        drawWindow_ = target_;
        XSelectInput(display_, target_, StructureNotifyMask);
    } else {
        XVisualInfo* info = glXGetVisualFromFBConfig(display_, chosen);
        if (!info) throw std::runtime_error("the OpenGL visual has no X visual");
        const ::Window root = RootWindow(display_, screen_);
        XSetWindowAttributes set{};
        set.colormap = XCreateColormap(display_, root, info->visual, AllocNone);
        set.background_pixel = BlackPixel(display_, screen_);
        set.border_pixel = 0;
        set.event_mask = StructureNotifyMask | (target_ ? 0 : KeyPressMask);
        const ::Window parent = target_ ? target_ : root;
        drawWindow_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width_),
                                    static_cast<unsigned>(height_), 0, info->depth, InputOutput, info->visual,
                                    CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
        XFree(info);
        if (target_) {
            ownChild_ = true;
            XSelectInput(display_, target_, StructureNotifyMask);
        } else {
            target_ = drawWindow_;
            ownTarget_ = true;
            XStoreName(display_, drawWindow_, "Vantorel 3D Screensaver");
            XClassHint hint{const_cast<char*>("vtl3d"), const_cast<char*>("XScreenSaver")};
            XSetClassHint(display_, drawWindow_, &hint);
            deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
            XSetWMProtocols(display_, drawWindow_, &deleteWindow_, 1);
        }
        XMapWindow(display_, drawWindow_);
    }

    const int attributesOfContext[] = {
        GLX_CONTEXT_MAJOR_VERSION_ARB,    3,   GLX_CONTEXT_MINOR_VERSION_ARB, 3, GLX_CONTEXT_PROFILE_MASK_ARB,
        GLX_CONTEXT_CORE_PROFILE_BIT_ARB, None};
    g_lastXError = 0;
    GLXContext context = glXCreateContextAttribsARB(display_, chosen, nullptr, True, attributesOfContext);
    XSync(display_, False);
    if (!context || g_lastXError != 0) throw std::runtime_error("cannot make an OpenGL 3.3 core context");
    context_ = context;
    if (!glXMakeCurrent(display_, drawWindow_, context))
        throw std::runtime_error("cannot draw into window " + Hex(drawWindow_) + " with OpenGL");
}

void X11GlWindow::SwapBuffers() { glXSwapBuffers(display_, drawWindow_); }

void X11GlWindow::ScreenSize(int& width, int& height) const {
    width = DisplayWidth(display_, screen_);
    height = DisplayHeight(display_, screen_);
}

void X11GlWindow::WindowSize(int& width, int& height) const {
    width = width_;
    height = height_;
}

int X11GlWindow::ConnectionFd() const { return ConnectionNumber(display_); }

WindowEvents X11GlWindow::TakeEvents() {
    WindowEvents events;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case ConfigureNotify:
                if (event.xconfigure.window == target_ &&
                    (event.xconfigure.width != width_ || event.xconfigure.height != height_)) {
                    width_ = event.xconfigure.width;
                    height_ = event.xconfigure.height;
                    if (ownChild_)
                        XResizeWindow(display_, drawWindow_, static_cast<unsigned>(width_),
                                      static_cast<unsigned>(height_));
                    events.resized = true;
                }
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == target_ || event.xdestroywindow.window == drawWindow_) {
                    events.closed = true;
                    // Gone already: nothing of ours to destroy at the end.
                    if (event.xdestroywindow.window == target_) ownTarget_ = ownChild_ = false;
                }
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_ && deleteWindow_) events.closed = true;
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&event.xkey, 0);
                if (key == XK_q || key == XK_Q || key == XK_Escape) events.closed = true;
                break;
            }
            default: break;
        }
    }
    return events;
}

}  // namespace vtl::x11
