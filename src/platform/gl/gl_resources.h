#pragma once
// The OpenGL device's objects: vertex buffers and textures over GL buffer and texture
// names, and what ties them to the device that made them. Implements the seam's
// buffer locks and texture creation from prepared levels; leaves out everything the
// engine never asks for (index buffers, lockable textures, surfaces).
#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gl/gl_internal.h"
#include "platform/renderdevice.h"

namespace vtl::gl::detail {

// Errors left by earlier calls must not be taken for those of the next one.
void DrainErrors();

// What ties the device's objects together: whether the device (and so, by the
// host's promise, its context) is still there to delete GL names in, and how many
// default-pool objects live (Reset refuses while any do).
struct Shared {
    bool live = true;
    int defaultPoolObjects = 0;
};

class GlVertexBuffer : public IRenderVertexBuffer, public std::enable_shared_from_this<GlVertexBuffer> {
public:
    GlVertexBuffer(std::shared_ptr<Shared> shared, GLuint name, std::uint32_t length, std::uint32_t pool);
    ~GlVertexBuffer() override;
    GlVertexBuffer(const GlVertexBuffer&) = delete;
    GlVertexBuffer& operator=(const GlVertexBuffer&) = delete;

    HResult Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t flags) override;
    HResult Unlock() override;

    GLuint Name() const { return name_; }
    std::uint64_t Length() const { return length_; }
    const Shared* Owner() const { return shared_.get(); }

private:
    std::shared_ptr<Shared> shared_;
    GLuint name_;
    std::uint32_t length_;
    // What Lock hands out. A large buffer (the engine's meshes, written once) keeps it
    // only while locked, so that its vertices are not held twice; a small one (written
    // every frame) keeps it, so that a lock never waits to read GL's copy back.
    std::vector<std::uint8_t> bytes_;
    bool written_ = false;  // whether GL's copy holds anything yet
    std::uint32_t pool_;
    int locks_ = 0;
    std::uint64_t dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class GlTexture : public IRenderTexture, public std::enable_shared_from_this<GlTexture> {
public:
    GlTexture(std::shared_ptr<Shared> shared, GLuint name, std::uint32_t format, std::uint32_t levels, int width,
              int height)
        : shared_(std::move(shared)), name_(name), format_(format), levels_(levels), width_(width), height_(height) {}
    ~GlTexture() override;
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    GLuint Name() const { return name_; }
    std::uint32_t Format() const { return format_; }
    std::uint32_t Levels() const { return levels_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const Shared* Owner() const { return shared_.get(); }
    bool Live() const { return shared_->live; }

private:
    std::shared_ptr<Shared> shared_;
    GLuint name_;
    std::uint32_t format_, levels_;
    int width_, height_;
};

// A buffer of `length` bytes in `pool`; D3DERR_INVALIDCALL for a length or pool
// Direct3D refuses, D3DERR_OUTOFVIDEOMEMORY when GL or memory gives out.
HResult MakeVertexBuffer(const std::shared_ptr<Shared>& shared, std::uint32_t length, std::uint32_t pool,
                         std::shared_ptr<IRenderVertexBuffer>& buffer);

// A texture holding the levels (see detail::CreateTexture), no side above maxSide.
HResult MakeTexture(const std::shared_ptr<Shared>& shared, const std::vector<Level>& levels, std::uint32_t format,
                    std::uint32_t maxSide, std::shared_ptr<IRenderTexture>& texture);

}  // namespace vtl::gl::detail
