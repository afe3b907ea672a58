// Read-back of the OpenGL device for its tests: the back buffer as drawn so far (in
// whichever framebuffer this frame draws into) and one level of one of its textures,
// as 0xAARRGGBB top row first. Reads nothing of other devices or textures.
#include <epoxy/gl.h>

#include <algorithm>

#include "platform/gl/gl_device_impl.h"

namespace vtl::gl {

bool detail::GlDevice::Read(std::vector<std::uint32_t>& argb, int& width, int& height) {
    if (!targets_) return false;
    width = width_;
    height = height_;
    std::vector<std::uint32_t> rows(std::size_t(width_) * height_);
    DrainErrors();
    // The window's framebuffer reads its back buffer, where this frame is drawn.
    if (FrameTarget() == 0) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    if (glGetError() != GL_NO_ERROR) return false;
    // GL rows run bottom up.
    argb.resize(rows.size());
    const bool opaque = !alphaTarget_;
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* from = &rows[std::size_t(height_ - 1 - y) * width_];
        std::uint32_t* to = &argb[std::size_t(y) * width_];
        for (int x = 0; x < width_; ++x) to[x] = opaque ? (from[x] | 0xFF000000u) : from[x];
    }
    return true;
}

bool ReadBackBuffer(IRenderDevice& device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    auto* gl = dynamic_cast<detail::GlDevice*>(&device);
    return gl != nullptr && gl->Read(argb, width, height);
}

bool ReadTextureLevel(IRenderTexture& texture, std::uint32_t level, TextureLevel& out) {
    auto* gl = dynamic_cast<detail::GlTexture*>(&texture);
    if (gl == nullptr || !gl->Live() || level >= gl->Levels()) return false;
    out.width = std::max(1, gl->Width() >> level);
    out.height = std::max(1, gl->Height() >> level);
    out.format = gl->Format();
    out.levelCount = gl->Levels();
    out.texels.assign(std::size_t(out.width) * out.height, 0);
    detail::DrainErrors();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl->Name());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace vtl::gl
