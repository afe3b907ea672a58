// The OpenGL device's vertex buffers and textures: buffer locks kept in memory and
// uploaded at the last unlock, textures uploaded whole from prepared levels.
#include "platform/gl/gl_resources.h"

#include <algorithm>
#include <new>

namespace vtl::gl::detail {

namespace {

// No vertex buffer of the engine comes near this; a larger request is a broken size.
constexpr std::uint32_t kMaxBufferBytes = 256u << 20;
// Buffers above this let go of their copy in memory between locks.
constexpr std::uint32_t kKeptCopyBytes = 64u << 10;

}  // namespace

void DrainErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}
}

GlVertexBuffer::GlVertexBuffer(std::shared_ptr<Shared> shared, GLuint name, std::uint32_t length, std::uint32_t pool)
    : shared_(std::move(shared)), name_(name), length_(length), pool_(pool) {
    if (pool_ == D3DPOOL_DEFAULT) ++shared_->defaultPoolObjects;
}

GlVertexBuffer::~GlVertexBuffer() {
    if (pool_ == D3DPOOL_DEFAULT) --shared_->defaultPoolObjects;
    if (shared_->live) glDeleteBuffers(1, &name_);
}

HResult GlVertexBuffer::Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t) {
    if (data) *data = nullptr;
    const std::uint64_t length = length_;
    if (data == nullptr || offset > length) return D3DERR_INVALIDCALL;
    const std::uint64_t end = size == 0 ? length : std::uint64_t(offset) + size;
    if (end > length) return D3DERR_INVALIDCALL;
    if (bytes_.empty()) {
        // A lock hands out what the buffer holds, as Direct3D's does: GL's copy once
        // there is one, zeros before.
        if (written_ && !shared_->live) return D3DERR_INVALIDCALL;
        try {
            bytes_.assign(length_, 0);
        } catch (const std::bad_alloc&) {
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        if (written_) {
            glBindBuffer(GL_ARRAY_BUFFER, name_);
            glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(length_), bytes_.data());
        }
    }
    // The whole range since the first lock goes up at the last unlock.
    if (locks_ == 0) {
        dirtyBegin_ = offset;
        dirtyEnd_ = end;
    } else {
        dirtyBegin_ = std::min<std::uint64_t>(dirtyBegin_, offset);
        dirtyEnd_ = std::max(dirtyEnd_, end);
    }
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HResult GlVertexBuffer::Unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ > 0) return D3D_OK;
    if (!shared_->live) return D3DERR_INVALIDCALL;
    if (dirtyEnd_ > dirtyBegin_) {
        glBindBuffer(GL_ARRAY_BUFFER, name_);
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(dirtyBegin_), GLsizeiptr(dirtyEnd_ - dirtyBegin_),
                        bytes_.data() + dirtyBegin_);
        written_ = true;
    }
    if (length_ > kKeptCopyBytes && written_) std::vector<std::uint8_t>().swap(bytes_);
    return D3D_OK;
}

GlTexture::~GlTexture() {
    if (shared_->live) glDeleteTextures(1, &name_);
}

HResult MakeVertexBuffer(const std::shared_ptr<Shared>& shared, std::uint32_t length, std::uint32_t pool,
                         std::shared_ptr<IRenderVertexBuffer>& buffer) {
    buffer.reset();
    if (length == 0 || pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
    DrainErrors();
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(length), nullptr, GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteBuffers(1, &name);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    try {
        buffer = std::make_shared<GlVertexBuffer>(shared, name, length, pool);
    } catch (const std::bad_alloc&) {
        glDeleteBuffers(1, &name);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    return D3D_OK;
}

HResult MakeTexture(const std::shared_ptr<Shared>& shared, const std::vector<Level>& levels, std::uint32_t format,
                    std::uint32_t maxSide, std::shared_ptr<IRenderTexture>& texture) {
    texture.reset();
    if (levels.empty() || (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) return D3DERR_INVALIDCALL;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const Level& l = levels[i];
        const std::uint32_t w = std::max(1u, levels[0].width >> i), h = std::max(1u, levels[0].height >> i);
        if (l.width != w || l.height != h || l.pixels.size() != std::size_t(w) * h) return D3DERR_INVALIDCALL;
    }
    if (levels[0].width > maxSide || levels[0].height > maxSide) return D3DERR_INVALIDCALL;
    DrainErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels.size() - 1));
    std::vector<std::uint32_t> opaque;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const Level& l = levels[i];
        const std::uint32_t* texels = l.pixels.data();
        if (format == D3DFMT_X8R8G8B8) {
            // A format without alpha reads as opaque whatever the file held.
            opaque = l.pixels;
            for (std::uint32_t& t : opaque) t |= 0xFF000000u;
            texels = opaque.data();
        }
        // Row 0 of the upload is the top row: Direct3D's v = 0 is the picture's top.
        glTexImage2D(GL_TEXTURE_2D, GLint(i), GL_RGBA8, GLsizei(l.width), GLsizei(l.height), 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, texels);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    texture = std::make_shared<GlTexture>(shared, name, format, std::uint32_t(levels.size()), int(levels[0].width),
                                          int(levels[0].height));
    return D3D_OK;
}

}  // namespace vtl::gl::detail
