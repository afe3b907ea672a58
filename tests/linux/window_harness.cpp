#include "window_harness.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <vector>

#include "pixel_harness.h"

namespace vtl::gltest {

PbufferWindow::PbufferWindow(const WindowFormat& format)
    : reportedWidth(format.width), reportedHeight(format.height), format_(format) {
    if (!MakeGlContextCurrent(why_)) return;
    EGLDisplay display = eglGetCurrentDisplay();
    sharedContext_ = eglGetCurrentContext();
    display_ = display;
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 format.alphaBits,
                                 EGL_DEPTH_SIZE,
                                 format.depthBits,
                                 EGL_NONE};
    // EGL offers configurations of at least what is asked (ten-bit colour, deeper
    // depth); the tests need the exact one.
    EGLint count = 0;
    eglChooseConfig(display, attributes, nullptr, 0, &count);
    std::vector<EGLConfig> configs(std::size_t(count > 0 ? count : 0));
    if (count > 0) eglChooseConfig(display, attributes, configs.data(), count, &count);
    EGLConfig chosen = nullptr;
    for (EGLConfig config : configs) {
        EGLint depth = -1, alpha = -1, red = -1, blue = -1;
        eglGetConfigAttrib(display, config, EGL_DEPTH_SIZE, &depth);
        eglGetConfigAttrib(display, config, EGL_ALPHA_SIZE, &alpha);
        eglGetConfigAttrib(display, config, EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, config, EGL_BLUE_SIZE, &blue);
        if (depth == format.depthBits && alpha == format.alphaBits && red == 8 && blue == 8) {
            chosen = config;
            break;
        }
    }
    if (!chosen) {
        why_ = "no pbuffer configuration with " + std::to_string(format.depthBits) + " depth and " +
               std::to_string(format.alphaBits) + " alpha bits";
        return;
    }
    const EGLint size[] = {EGL_WIDTH, format.width, EGL_HEIGHT, format.height, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display, chosen, size);
    const EGLint version[] = {
        EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    context_ = eglCreateContext(display, chosen, EGL_NO_CONTEXT, version);
    if (surface_ == EGL_NO_SURFACE || context_ == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, surface_, surface_, context_)) {
        why_ = "the pbuffer or its context cannot be made current (EGL error 0x" + std::to_string(eglGetError()) + ")";
        return;
    }
    ok_ = true;
}

PbufferWindow::~PbufferWindow() {
    if (!display_) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, sharedContext_);
    if (context_ && context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
    if (surface_ && surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
}

void PbufferWindow::Paint() const {
    GLint draw = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(draw));
}

std::vector<std::uint32_t> PbufferWindow::Pixels() const {
    const int w = format_.width, h = format_.height;
    std::vector<std::uint32_t> rows(std::size_t(w) * h), out(rows.size());
    GLint read = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out[std::size_t(y) * w + x] = rows[std::size_t(h - 1 - y) * w + x] & 0xFFFFFFu;
    return out;
}

}  // namespace vtl::gltest
