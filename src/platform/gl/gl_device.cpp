// The OpenGL render device's lifecycle: the Direct3D object (display mode, device
// creation), the device's targets, scenes, Present, the injected device loss, Reset
// and Clear, and binding streams and textures. Draws are in gl_draw.cpp, read-back in
// gl_readback.cpp; the states themselves are plain data in state/.
// Where the back buffer lies (the window's framebuffer or one of the device's own) is
// chosen frame by frame in gl_target.cpp; Present swaps, or first stretches the
// device's own over the window as windowed Direct3D does.
#include <epoxy/gl.h>

#include <algorithm>

#include "platform/gl/gl_device_impl.h"
#include "platform/gl/gl_internal.h"
#include "platform/hooks/faults.h"

namespace vtl::gl {

namespace detail {

GlDevice::GlDevice(std::shared_ptr<IGlSurface> surface)
    : surface_(std::move(surface)), shared_(std::make_shared<Shared>()) {
    glGenVertexArrays(1, &vao_);
    glGenSamplers(1, &sampler_);
    ResetStates(true);
}

GlDevice::~GlDevice() {
    // A host that has already let its context go at exit leaves nothing to delete in.
    const bool current = glGetString(GL_VERSION) != nullptr;
    if (!current) shared_->live = false;
    stream_.reset();
    for (auto& texture : textures_) texture.reset();
    if (!current) return;
    DeleteTargets();
    glDeleteVertexArrays(1, &vao_);
    glDeleteSamplers(1, &sampler_);
    for (auto& entry : programs_) DeleteProgram(entry.second);
    // Objects still held elsewhere keep their names: deleting them needs this context.
    shared_->live = false;
}

HResult GlDevice::MakeTargets(D3DPRESENT_PARAMETERS& params) {
    int width = int(params.BackBufferWidth), height = int(params.BackBufferHeight);
    if (width == 0 || height == 0) {
        int sw = 0, sh = 0;
        surface_->WindowSize(sw, sh);
        if (width == 0) width = sw;
        if (height == 0) height = sh;
    }
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSide);
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return D3DERR_INVALIDCALL;
    DeleteTargets();
    DrainErrors();
    width_ = width;
    height_ = height;
    alphaTarget_ = params.BackBufferFormat == D3DFMT_A8R8G8B8;
    hasDepth_ = params.EnableAutoDepthStencil != 0;
    depthFormat_ = params.AutoDepthStencilFormat;
    windowFits_ = DefaultFramebufferFits(depthFormat_);
    // A back buffer the window holds from the start is drawn there; the device's own
    // framebuffer is made when a frame first needs it (gl_target.cpp), so a run that
    // never needs it never fills memory with it.
    int windowWidth = 0, windowHeight = 0;
    surface_->WindowSize(windowWidth, windowHeight);
    if (!(windowFits_ && windowWidth == width && windowHeight == height) && !MakeOwnFramebuffer()) {
        DeleteTargets();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    targets_ = true;
    frameChosen_ = false;
    params.BackBufferWidth = std::uint32_t(width);
    params.BackBufferHeight = std::uint32_t(height);
    glViewport(0, 0, width, height);
    return D3D_OK;
}

bool GlDevice::MakeOwnFramebuffer() {
    DrainErrors();
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, alphaTarget_ ? GL_RGBA8 : GL_RGB8, width_, height_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (hasDepth_) {
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, depthFormat_ == D3DFMT_D16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24,
                              width_, height_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE && glGetError() == GL_NO_ERROR) return true;
    DeleteOwnFramebuffer();
    return false;
}

void GlDevice::DeleteTargets() {
    DeleteOwnFramebuffer();
    targets_ = false;
}

void GlDevice::DeleteOwnFramebuffer() {
    if (fbo_) glDeleteFramebuffers(1, &fbo_);
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    fbo_ = colour_ = depth_ = 0;
}

void GlDevice::ResetStates(bool depth) {
    states_.Reset(depth);
    for (auto& texture : textures_) texture.reset();
    stream_.reset();
    stride_ = 0;
}

HResult GlDevice::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HResult GlDevice::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HResult GlDevice::Present() {
    if (!targets_) return D3DERR_INVALIDCALL;
    // The injected loss, as on Windows: the first present finds the device lost, the
    // next question finds it ready to be reset, so the real Reset runs.
    if (faultState_ == 0 && FaultInjected("present")) {
        faultState_ = 1;
        return D3DERR_DEVICELOST;
    }
    // A frame that neither cleared nor drew still shows whatever its target holds.
    FrameTarget();
    frameChosen_ = false;
    if (frameDirect_) {
        surface_->SwapBuffers();
    } else if (surface_->HasWindow()) {
        int width = 0, height = 0;
        surface_->WindowSize(width, height);
        if (width <= 0 || height <= 0) {
            width = width_;
            height = height_;
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width_, height_, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                          width == width_ && height == height_ ? GL_NEAREST : GL_LINEAR);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        surface_->SwapBuffers();
    } else {
        glFlush();
    }
    return D3D_OK;
}

HResult GlDevice::TestCooperativeLevel() {
    if (faultState_ == 1) {
        faultState_ = 2;
        return D3DERR_DEVICENOTRESET;
    }
    return D3D_OK;
}

HResult GlDevice::Reset(D3DPRESENT_PARAMETERS& params) {
    if (shared_->defaultPoolObjects > 0) return D3DERR_INVALIDCALL;
    const HResult made = MakeTargets(params);
    if (made < 0) return made;
    ResetStates(params.EnableAutoDepthStencil != 0);
    inScene_ = false;
    return D3D_OK;
}

HResult GlDevice::Clear(std::uint32_t, std::uint32_t flags, D3DCOLOR color, float z, std::uint32_t) {
    if (!targets_ || (flags & D3DCLEAR_STENCIL) != 0) return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && !hasDepth_) return D3DERR_INVALIDCALL;
    GLbitfield mask = 0;
    FrameTarget();
    if (flags & D3DCLEAR_TARGET) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        // Clearing ignores whether drawing may write depth.
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(double(z), 0.0, 1.0));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask == 0) return D3DERR_INVALIDCALL;
    glDisable(GL_SCISSOR_TEST);
    glClear(mask);
    return D3D_OK;
}

HResult GlDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t, std::uint32_t, std::uint32_t pool,
                                     std::shared_ptr<IRenderVertexBuffer>& buffer) {
    return MakeVertexBuffer(shared_, length, pool, buffer);
}

HResult GlDevice::SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) {
    if (stream != 0) return D3DERR_INVALIDCALL;
    if (buffer == nullptr) {
        stream_.reset();
        stride_ = 0;
        return D3D_OK;
    }
    auto* gl = dynamic_cast<GlVertexBuffer*>(buffer);
    if (gl == nullptr || gl->Owner() != shared_.get()) return D3DERR_INVALIDCALL;
    stream_ = gl->shared_from_this();
    stride_ = stride;
    return D3D_OK;
}

HResult GlDevice::SetTexture(std::uint32_t stage, IRenderTexture* texture) {
    if (stage >= kMaxStages) return D3DERR_INVALIDCALL;
    if (texture == nullptr) {
        textures_[stage].reset();
        return D3D_OK;
    }
    auto* gl = dynamic_cast<GlTexture*>(texture);
    if (gl == nullptr || gl->Owner() != shared_.get()) return D3DERR_INVALIDCALL;
    textures_[stage] = gl->shared_from_this();
    return D3D_OK;
}

std::uint32_t GlDevice::MaxTextureSide() const {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? std::uint32_t(side) : 0;
}

HResult CreateTexture(IRenderDevice& device, const std::vector<Level>& levels, std::uint32_t format,
                      std::shared_ptr<IRenderTexture>& texture) {
    texture.reset();
    auto* gl = dynamic_cast<GlDevice*>(&device);
    if (gl == nullptr) return D3DERR_INVALIDCALL;
    return gl->MakeTexture(levels, format, texture);
}

std::uint32_t MaxTextureSide(IRenderDevice& device) {
    auto* gl = dynamic_cast<GlDevice*>(&device);
    return gl ? gl->MaxTextureSide() : 0;
}

}  // namespace detail

namespace {

class GlD3D : public IRenderD3D {
public:
    explicit GlD3D(std::shared_ptr<IGlSurface> surface) : surface_(std::move(surface)) {}

    HResult GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override {
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        int width = 0, height = 0;
        surface_->ScreenSize(width, height);
        if (width <= 0 || height <= 0) return D3DERR_NOTAVAILABLE;
        mode = D3DDISPLAYMODE{std::uint32_t(width), std::uint32_t(height), 0, D3DFMT_X8R8G8B8};
        return D3D_OK;
    }
    HResult CreateDevice(std::uint32_t adapter, std::uint32_t, WindowHandle, std::uint32_t behaviorFlags,
                         D3DPRESENT_PARAMETERS& params, std::shared_ptr<IRenderDevice>& device) override {
        device.reset();
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        if (FaultInjected("device")) return D3DERR_NOTAVAILABLE;
        const std::uint32_t processing =
            behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING | 0x80u);
        if (processing == 0 || (processing & (processing - 1)) != 0) return D3DERR_INVALIDCALL;
        // The host's context must be current and new enough.
        if (!epoxy_is_desktop_gl() || epoxy_gl_version() < 33) return D3DERR_NOTAVAILABLE;
        // The first program proves the shaders compile here; the rest follow as draws need them.
        Program program;
        if (!BuildProgram(program, ShaderKey{})) return D3DERR_NOTAVAILABLE;
        DeleteProgram(program);
        auto made = std::make_shared<detail::GlDevice>(surface_);
        D3DPRESENT_PARAMETERS wanted = params;
        const HResult result = made->MakeTargets(wanted);
        if (result < 0) return result;
        params = wanted;
        device = made;
        return D3D_OK;
    }

private:
    std::shared_ptr<IGlSurface> surface_;
};

}  // namespace

Direct3DCreateFn MakeGlDirect3DCreate(std::shared_ptr<IGlSurface> surface) {
    return [surface](std::uint32_t) -> std::shared_ptr<IRenderD3D> {
        if (!surface) return nullptr;
        return std::make_shared<GlD3D>(surface);
    };
}

}  // namespace vtl::gl
