// Where the OpenGL device's frames go. Direct3D's windowed back buffer is a surface of
// its own that Present copies onto the window; drawing it in a framebuffer of the
// device's own and copying that costs a whole extra pass over the screen each frame,
// which on a software renderer is a good part of the frame. So while the window has
// the back buffer's size and its framebuffer is as good as the one the device would
// make, the frame is drawn straight into the window and Present only swaps. The
// device's own framebuffer stays for the other sizes (the window was resized, a back
// buffer of a given size), for contexts without a window and for what the window's
// framebuffer lacks.
#include <epoxy/gl.h>

#include "platform/gl/gl_device_impl.h"

namespace vtl::gl::detail {

namespace {

GLint DefaultAttachment(GLenum attachment, GLenum what) {
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment, what, &value);
    return value;
}

}  // namespace

bool GlDevice::DefaultFramebufferFits(std::uint32_t depthFormat) const {
    if (!surface_->HasWindow()) return false;
    DrainErrors();
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    bool fits = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    GLint samples = 0;
    if (fits) glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    fits = fits && samples == 0 && DefaultAttachment(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE) != GL_NONE;
    if (fits) {
        fits = DefaultAttachment(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) == 8 &&
               DefaultAttachment(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) == 8 &&
               DefaultAttachment(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) == 8;
        // A back buffer with alpha keeps what is drawn there; one without reads opaque,
        // which read-back makes of any window's alpha.
        if (alphaTarget_) fits = fits && DefaultAttachment(GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE) == 8;
    }
    if (fits && hasDepth_) {
        const GLint wanted = depthFormat == D3DFMT_D16 ? 16 : 24;
        fits = DefaultAttachment(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE) != GL_NONE &&
               DefaultAttachment(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE) >= wanted;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(previous));
    // Whatever a query could not answer leaves the device's own framebuffer in use.
    return glGetError() == GL_NO_ERROR && fits;
}

GLuint GlDevice::FrameTarget() {
    if (!frameChosen_) {
        frameChosen_ = true;
        frameDirect_ = false;
        if (windowFits_) {
            int width = 0, height = 0;
            surface_->WindowSize(width, height);
            frameDirect_ = width == width_ && height == height_;
        }
        // Made now if this is the first frame the window cannot hold. Should GL refuse
        // it, the frame still goes into the window, at its own size, rather than
        // nowhere.
        if (!frameDirect_ && fbo_ == 0 && !MakeOwnFramebuffer()) frameDirect_ = true;
    }
    const GLuint target = frameDirect_ ? 0 : fbo_;
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    return target;
}

}  // namespace vtl::gl::detail
