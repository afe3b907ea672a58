// The render-device seam on OpenGL 3.3 core. Direct3D 8's fixed-function pipeline is
// kept as plain state (render states, one texture stage, transforms, lights) and turned
// into uniforms of one shader pair at each draw; see gl_shaders.cpp for the maths.
//
// Conventions bridged here:
// - Direct3D matrices are row-major for row vectors (v' = v * M). Handed to GL as they
//   lie in memory, GLSL sees their transposes, so `M * v` in a shader is D3D's v * M.
// - Direct3D's clip z runs 0..w, GL's -w..w: the vertex shader remaps it, so depth
//   values and the depth test agree with Direct3D's.
// - Direct3D names a winding as it looks on the screen, as GL's window coordinates do
//   (both put NDC +y at the top): D3DCULL_CCW culls what GL calls front faces (CCW).
// - Direct3D 8 samples pixels at integer screen coordinates, GL at half-integers: every
//   vertex is moved half a pixel right and down so the same pixels are covered.
// - D3DCOLOR is B, G, R, A in memory: read with GL_BGRA.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "platform/hooks/faults.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_internal.h"
#include "platform/gl/gl_shaders.h"

namespace vtl::gl {

namespace {

// States and values the engine never sets but that are part of the same machinery.
constexpr std::uint32_t kRsZWriteDefault = 1;
constexpr std::uint32_t kRsTextureFactor = 60;
constexpr std::uint32_t kTssAlphaArg1 = 5;
constexpr std::uint32_t kTssAlphaArg2 = 6;
constexpr std::uint32_t kTssAddressU = 13;
constexpr std::uint32_t kTssAddressV = 14;
constexpr std::uint32_t kTaCurrent = 1;
constexpr std::uint32_t kTaTexture = 2;
constexpr std::uint32_t kBlendZero = 1;
constexpr std::uint32_t kBlendOne = 2;
constexpr std::uint32_t kTAddressWrap = 1;
constexpr std::uint32_t kCmpLessEqual = D3DCMP_LESSEQUAL;
constexpr std::uint32_t kMaxStages = 8;
constexpr std::uint32_t kMaxLightsDrawn = kShaderLights;
constexpr std::uint32_t kFvfPositionMask = 0x00E;
constexpr std::uint32_t kFvfPsize = 0x020;
constexpr std::uint32_t kFvfSpecular = 0x080;
constexpr std::uint32_t kFvfTexCountMask = 0xF00;
constexpr std::uint32_t kFvfTexCountShift = 8;
constexpr std::uint32_t kFvfKnown = 0x0FFF;
// No vertex buffer of the engine comes near this; a larger request is a broken size.
constexpr std::uint32_t kMaxBufferBytes = 256u << 20;

// Errors left by earlier calls must not be taken for those of the next one.
void DrainErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

constexpr D3DMATRIX kIdentity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(a.m[i][k]) * b.m[k][j];
            c.m[i][j] = float(sum);
        }
    return c;
}

// The normal transform of a row-vector matrix: the inverse transpose of its upper 3 x 3,
// laid out for GL like the 4 x 4 ones. A singular matrix is used as it is.
void NormalMatrix(const D3DMATRIX& m, float out[9]) {
    const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (std::fabs(det) < 1e-30) {
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) out[r * 3 + k] = m.m[r][k];
        return;
    }
    // (M^-1)^T is the cofactor matrix over the determinant.
    const double cof[3][3] = {{A, B, C},
                              {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                              {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) out[r * 3 + k] = float(cof[r][k] / det);
}

GLenum BlendFactor(std::uint32_t blend) {
    switch (blend) {
        case kBlendZero: return GL_ZERO;
        case kBlendOne: return GL_ONE;
        case 3: return GL_SRC_COLOR;
        case 4: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case 7: return GL_DST_ALPHA;
        case 8: return GL_ONE_MINUS_DST_ALPHA;
        case 9: return GL_DST_COLOR;
        case 10: return GL_ONE_MINUS_DST_COLOR;
        case 11: return GL_SRC_ALPHA_SATURATE;
        default: return GL_ONE;
    }
}

GLenum CompareFunc(std::uint32_t cmp) {
    switch (cmp) {
        case 1: return GL_NEVER;
        case 2: return GL_LESS;
        case 3: return GL_EQUAL;
        case 4: return GL_LEQUAL;
        case 5: return GL_GREATER;
        case 6: return GL_NOTEQUAL;
        case 7: return GL_GEQUAL;
        default: return GL_ALWAYS;
    }
}

GLenum AddressMode(std::uint32_t mode) {
    switch (mode) {
        case 2: return GL_MIRRORED_REPEAT;
        case 3: return GL_CLAMP_TO_EDGE;
        case 4: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

// What ties the device's objects together: whether the device (and so, by the
// host's promise, its context) is still there to delete GL names in, and how many
// default-pool objects live (Reset refuses while any do).
struct Shared {
    bool live = true;
    int defaultPoolObjects = 0;
};

class GlVertexBuffer : public IRenderVertexBuffer, public std::enable_shared_from_this<GlVertexBuffer> {
public:
    GlVertexBuffer(std::shared_ptr<Shared> shared, GLuint name, std::uint32_t length, std::uint32_t pool)
        : shared_(std::move(shared)), name_(name), bytes_(length, 0), pool_(pool) {
        if (pool_ == D3DPOOL_DEFAULT) ++shared_->defaultPoolObjects;
    }
    ~GlVertexBuffer() override {
        if (pool_ == D3DPOOL_DEFAULT) --shared_->defaultPoolObjects;
        if (shared_->live) glDeleteBuffers(1, &name_);
    }
    GlVertexBuffer(const GlVertexBuffer&) = delete;
    GlVertexBuffer& operator=(const GlVertexBuffer&) = delete;

    HResult Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t) override {
        if (data) *data = nullptr;
        const std::uint64_t length = bytes_.size();
        if (data == nullptr || offset > length) return D3DERR_INVALIDCALL;
        const std::uint64_t end = size == 0 ? length : std::uint64_t(offset) + size;
        if (end > length) return D3DERR_INVALIDCALL;
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
    HResult Unlock() override {
        if (locks_ == 0) return D3DERR_INVALIDCALL;
        if (--locks_ > 0) return D3D_OK;
        if (!shared_->live) return D3DERR_INVALIDCALL;
        if (dirtyEnd_ > dirtyBegin_) {
            glBindBuffer(GL_ARRAY_BUFFER, name_);
            glBufferSubData(GL_ARRAY_BUFFER, GLintptr(dirtyBegin_), GLsizeiptr(dirtyEnd_ - dirtyBegin_),
                            bytes_.data() + dirtyBegin_);
        }
        return D3D_OK;
    }

    GLuint Name() const { return name_; }
    std::uint64_t Length() const { return bytes_.size(); }
    const Shared* Owner() const { return shared_.get(); }

private:
    std::shared_ptr<Shared> shared_;
    GLuint name_;
    std::vector<std::uint8_t> bytes_;  // what Lock hands out
    std::uint32_t pool_;
    int locks_ = 0;
    std::uint64_t dirtyBegin_ = 0, dirtyEnd_ = 0;
};

class GlTexture : public IRenderTexture, public std::enable_shared_from_this<GlTexture> {
public:
    GlTexture(std::shared_ptr<Shared> shared, GLuint name, std::uint32_t format, std::uint32_t levels, int width,
              int height)
        : shared_(std::move(shared)), name_(name), format_(format), levels_(levels), width_(width), height_(height) {}
    ~GlTexture() override {
        if (shared_->live) glDeleteTextures(1, &name_);
    }
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

struct Stage {
    std::uint32_t colorOp = D3DTOP_DISABLE, colorArg1 = kTaTexture, colorArg2 = kTaCurrent;
    std::uint32_t alphaOp = D3DTOP_DISABLE, alphaArg1 = kTaTexture, alphaArg2 = kTaCurrent;
    std::uint32_t texCoordIndex = 0;
    std::uint32_t magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    std::uint32_t addressU = kTAddressWrap, addressV = kTAddressWrap;
    std::uint32_t transformFlags = D3DTTFF_DISABLE;
    std::shared_ptr<GlTexture> texture;
};

struct Light {
    D3DLIGHT8 light{};
    bool enabled = false;
};

class GlDevice : public IRenderDevice {
public:
    explicit GlDevice(std::shared_ptr<IGlSurface> surface)
        : surface_(std::move(surface)), shared_(std::make_shared<Shared>()) {
        glGenVertexArrays(1, &vao_);
        glGenSamplers(1, &sampler_);
        ResetStates(true);
    }
    ~GlDevice() override {
        // A host that has already let its context go at exit leaves nothing to delete in.
        const bool current = glGetString(GL_VERSION) != nullptr;
        if (!current) shared_->live = false;
        stream_.reset();
        for (Stage& s : stages_) s.texture.reset();
        if (!current) return;
        DeleteTargets();
        glDeleteVertexArrays(1, &vao_);
        glDeleteSamplers(1, &sampler_);
        for (auto& entry : programs_) DeleteProgram(entry.second);
        // Objects still held elsewhere keep their names: deleting them needs this context.
        shared_->live = false;
    }
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // Makes the back buffer and depth buffer the parameters ask for, filling in the
    // sizes taken from the screen.
    HResult MakeTargets(D3DPRESENT_PARAMETERS& params) {
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
        const bool alpha = params.BackBufferFormat == D3DFMT_A8R8G8B8;
        glGenFramebuffers(1, &fbo_);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glGenRenderbuffers(1, &colour_);
        glBindRenderbuffer(GL_RENDERBUFFER, colour_);
        glRenderbufferStorage(GL_RENDERBUFFER, alpha ? GL_RGBA8 : GL_RGB8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
        hasDepth_ = params.EnableAutoDepthStencil != 0;
        if (hasDepth_) {
            glGenRenderbuffers(1, &depth_);
            glBindRenderbuffer(GL_RENDERBUFFER, depth_);
            glRenderbufferStorage(GL_RENDERBUFFER,
                                  params.AutoDepthStencilFormat == D3DFMT_D16 ? GL_DEPTH_COMPONENT16
                                                                              : GL_DEPTH_COMPONENT24,
                                  width, height);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
        }
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
            DeleteTargets();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        width_ = width;
        height_ = height;
        alphaTarget_ = alpha;
        params.BackBufferWidth = std::uint32_t(width);
        params.BackBufferHeight = std::uint32_t(height);
        glViewport(0, 0, width, height);
        return D3D_OK;
    }

    HResult BeginScene() override {
        if (inScene_) return D3DERR_INVALIDCALL;
        inScene_ = true;
        return D3D_OK;
    }
    HResult EndScene() override {
        if (!inScene_) return D3DERR_INVALIDCALL;
        inScene_ = false;
        return D3D_OK;
    }
    HResult Present() override {
        if (fbo_ == 0) return D3DERR_INVALIDCALL;
        // The injected loss, as on Windows: the first present finds the device lost, the
        // next question finds it ready to be reset, so the real Reset runs.
        if (faultState_ == 0 && FaultInjected("present")) {
            faultState_ = 1;
            return D3DERR_DEVICELOST;
        }
        if (surface_->HasWindow()) {
            int width = 0, height = 0;
            surface_->WindowSize(width, height);
            if (width <= 0 || height <= 0) {
                width = width_;
                height = height_;
            }
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            // Windowed Direct3D stretches the back buffer over the window.
            glBlitFramebuffer(0, 0, width_, height_, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                              width == width_ && height == height_ ? GL_NEAREST : GL_LINEAR);
            glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
            surface_->SwapBuffers();
        } else {
            glFlush();
        }
        return D3D_OK;
    }
    // No other windows to present into on this platform.
    HResult PresentTo(WindowHandle) override { return D3DERR_INVALIDCALL; }
    HResult TestCooperativeLevel() override {
        if (faultState_ == 1) {
            faultState_ = 2;
            return D3DERR_DEVICENOTRESET;
        }
        return D3D_OK;
    }
    HResult Reset(D3DPRESENT_PARAMETERS& params) override {
        if (shared_->defaultPoolObjects > 0) return D3DERR_INVALIDCALL;
        const HResult made = MakeTargets(params);
        if (made < 0) return made;
        ResetStates(params.EnableAutoDepthStencil != 0);
        inScene_ = false;
        return D3D_OK;
    }

    HResult Clear(std::uint32_t, std::uint32_t flags, D3DCOLOR color, float z, std::uint32_t) override {
        if (fbo_ == 0 || (flags & D3DCLEAR_STENCIL) != 0) return D3DERR_INVALIDCALL;
        if ((flags & D3DCLEAR_ZBUFFER) != 0 && !hasDepth_) return D3DERR_INVALIDCALL;
        GLbitfield mask = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
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

    HResult SetRenderState(std::uint32_t state, std::uint32_t value) override {
        renderStates_[state] = value;
        return D3D_OK;
    }
    HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override {
        if (stage >= kMaxStages) return D3DERR_INVALIDCALL;
        Stage& s = stages_[stage];
        switch (type) {
            case D3DTSS_COLOROP: s.colorOp = value; break;
            case D3DTSS_COLORARG1: s.colorArg1 = value; break;
            case D3DTSS_COLORARG2: s.colorArg2 = value; break;
            case D3DTSS_ALPHAOP: s.alphaOp = value; break;
            case kTssAlphaArg1: s.alphaArg1 = value; break;
            case kTssAlphaArg2: s.alphaArg2 = value; break;
            case D3DTSS_TEXCOORDINDEX: s.texCoordIndex = value; break;
            case D3DTSS_MAGFILTER: s.magFilter = value; break;
            case D3DTSS_MINFILTER: s.minFilter = value; break;
            case D3DTSS_MIPFILTER: s.mipFilter = value; break;
            case kTssAddressU: s.addressU = value; break;
            case kTssAddressV: s.addressV = value; break;
            case D3DTSS_TEXTURETRANSFORMFLAGS: s.transformFlags = value; break;
            default: break;  // kept by Direct3D, drawn the same here
        }
        return D3D_OK;
    }
    HResult SetTransform(std::uint32_t state, const D3DMATRIX& matrix) override {
        D3DMATRIX* slot = TransformSlot(state);
        if (slot == nullptr) return D3DERR_INVALIDCALL;
        *slot = matrix;
        return D3D_OK;
    }
    HResult GetTransform(std::uint32_t state, D3DMATRIX& matrix) override {
        D3DMATRIX* slot = TransformSlot(state);
        if (slot == nullptr) return D3DERR_INVALIDCALL;
        matrix = *slot;
        return D3D_OK;
    }
    HResult SetLight(std::uint32_t index, const D3DLIGHT8& light) override {
        if (light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
        if (light.Type != D3DLIGHT_POINT) {
            const D3DVECTOR& d = light.Direction;
            if (d.x == 0 && d.y == 0 && d.z == 0) return D3DERR_INVALIDCALL;
        }
        lights_[index].light = light;
        return D3D_OK;
    }
    HResult LightEnable(std::uint32_t index, bool enable) override {
        auto found = lights_.find(index);
        if (found == lights_.end()) {
            // Direct3D makes a white light shining along +z for an index never set.
            Light fresh;
            fresh.light.Type = D3DLIGHT_DIRECTIONAL;
            fresh.light.Diffuse = {1, 1, 1, 0};
            fresh.light.Direction = {0, 0, 1};
            found = lights_.emplace(index, fresh).first;
        }
        found->second.enabled = enable;
        return D3D_OK;
    }

    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t, std::uint32_t, std::uint32_t pool,
                               std::shared_ptr<IRenderVertexBuffer>& buffer) override {
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
            buffer = std::make_shared<GlVertexBuffer>(shared_, name, length, pool);
        } catch (const std::bad_alloc&) {
            glDeleteBuffers(1, &name);
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        return D3D_OK;
    }
    HResult SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) override {
        if (stream != 0) return D3DERR_INVALIDCALL;
        if (buffer == nullptr) {
            stream_.reset();
            stride_ = 0;
            return D3D_OK;
        }
        auto* gl = dynamic_cast<GlVertexBuffer*>(buffer);
        if (gl == nullptr || gl->Owner() != shared_.get()) return D3DERR_INVALIDCALL;
        // Held as Direct3D holds a bound buffer: it lives while bound.
        stream_ = gl->shared_from_this();
        stride_ = stride;
        return D3D_OK;
    }
    HResult SetVertexShader(std::uint32_t handle) override {
        fvf_ = handle;
        return D3D_OK;
    }
    HResult DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;
    HResult SetTexture(std::uint32_t stage, IRenderTexture* texture) override {
        if (stage >= kMaxStages) return D3DERR_INVALIDCALL;
        if (texture == nullptr) {
            stages_[stage].texture.reset();
            return D3D_OK;
        }
        auto* gl = dynamic_cast<GlTexture*>(texture);
        if (gl == nullptr || gl->Owner() != shared_.get()) return D3DERR_INVALIDCALL;
        stages_[stage].texture = gl->shared_from_this();
        return D3D_OK;
    }

    bool Read(std::vector<std::uint32_t>& argb, int& width, int& height) {
        if (fbo_ == 0) return false;
        width = width_;
        height = height_;
        std::vector<std::uint32_t> rows(std::size_t(width_) * height_);
        DrainErrors();
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
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

    HResult MakeTexture(const std::vector<detail::Level>& levels, std::uint32_t format,
                        std::shared_ptr<IRenderTexture>& texture);
    std::uint32_t MaxTextureSide() const {
        GLint side = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
        return side > 0 ? std::uint32_t(side) : 0;
    }

private:
    D3DMATRIX* TransformSlot(std::uint32_t state) {
        if (state == D3DTS_WORLD) return &world_;
        if (state == D3DTS_VIEW) return &view_;
        if (state == D3DTS_PROJECTION) return &projection_;
        if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + kMaxStages) return &textureMatrix_[state - D3DTS_TEXTURE0];
        return nullptr;
    }
    std::uint32_t RenderState(std::uint32_t state, std::uint32_t fallback) const {
        const auto found = renderStates_.find(state);
        return found == renderStates_.end() ? fallback : found->second;
    }
    void ResetStates(bool depth) {
        renderStates_.clear();
        renderStates_[D3DRS_ZENABLE] = depth ? D3DZB_TRUE : D3DZB_FALSE;
        renderStates_[D3DRS_ZWRITEENABLE] = kRsZWriteDefault;
        renderStates_[D3DRS_ZFUNC] = kCmpLessEqual;
        renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
        renderStates_[D3DRS_ALPHABLENDENABLE] = 0;
        renderStates_[D3DRS_SRCBLEND] = kBlendOne;
        renderStates_[D3DRS_DESTBLEND] = kBlendZero;
        renderStates_[D3DRS_LIGHTING] = 1;
        renderStates_[D3DRS_NORMALIZENORMALS] = 0;
        renderStates_[kRsTextureFactor] = 0xFFFFFFFFu;
        for (Stage& s : stages_) s = Stage{};
        // Stage 0 starts as texture times diffuse colour, alpha from the texture.
        stages_[0].colorOp = D3DTOP_MODULATE;
        stages_[0].alphaOp = D3DTOP_SELECTARG1;
        world_ = view_ = projection_ = kIdentity;
        for (D3DMATRIX& m : textureMatrix_) m = kIdentity;
        lights_.clear();
        stream_.reset();
        stride_ = 0;
        fvf_ = 0;
    }
    void DeleteTargets() {
        if (fbo_) glDeleteFramebuffers(1, &fbo_);
        if (colour_) glDeleteRenderbuffers(1, &colour_);
        if (depth_) glDeleteRenderbuffers(1, &depth_);
        fbo_ = colour_ = depth_ = 0;
    }
    void ApplyFixedFunction(const Program& program, const Stage& stage);
    ShaderKey KeyFor(const Stage& stage) const;
    // The program made for the key, made now if this is its first draw; null when it
    // does not compile.
    const Program* ProgramFor(const ShaderKey& key);

    std::shared_ptr<IGlSurface> surface_;
    std::shared_ptr<Shared> shared_;
    std::map<std::uint64_t, Program> programs_;
    GLuint vao_ = 0, sampler_ = 0;
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    bool hasDepth_ = false;
    bool alphaTarget_ = false;
    bool inScene_ = false;
    int faultState_ = 0;  // the injected loss: 0 none yet, 1 lost, 2 over

    std::map<std::uint32_t, std::uint32_t> renderStates_;
    Stage stages_[kMaxStages];
    D3DMATRIX world_ = kIdentity, view_ = kIdentity, projection_ = kIdentity;
    D3DMATRIX textureMatrix_[kMaxStages];
    std::map<std::uint32_t, Light> lights_;
    std::shared_ptr<GlVertexBuffer> stream_;
    std::uint32_t stride_ = 0;
    std::uint32_t fvf_ = 0;
};

struct Primitive {
    GLenum mode;
    std::uint64_t vertices;
};

bool PrimitiveOf(std::uint32_t type, std::uint32_t count, Primitive& out) {
    const std::uint64_t n = count;
    switch (type) {
        case 1: out = {GL_POINTS, n}; return true;
        case 2: out = {GL_LINES, 2 * n}; return true;
        case 3: out = {GL_LINE_STRIP, n + 1}; return true;
        case D3DPT_TRIANGLELIST: out = {GL_TRIANGLES, 3 * n}; return true;
        case 5: out = {GL_TRIANGLE_STRIP, n + 2}; return true;
        case 6: out = {GL_TRIANGLE_FAN, n + 2}; return true;
        default: return false;
    }
}

HResult GlDevice::DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) {
    Primitive primitive{};
    if (!inScene_ || fbo_ == 0 || !PrimitiveOf(type, primitiveCount, primitive)) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    // Only untransformed positions (x, y, z) are drawn; other formats are refused.
    if ((fvf_ & ~kFvfKnown) != 0 || (fvf_ & kFvfPositionMask) != D3DFVF_XYZ) return D3DERR_INVALIDCALL;
    if (!stream_) return D3DERR_INVALIDCALL;

    std::uint32_t offset = 12;
    const bool hasNormal = (fvf_ & D3DFVF_NORMAL) != 0;
    const std::uint32_t normalAt = offset;
    if (hasNormal) offset += 12;
    if (fvf_ & kFvfPsize) offset += 4;
    const bool hasDiffuse = (fvf_ & D3DFVF_DIFFUSE) != 0;
    const std::uint32_t diffuseAt = offset;
    if (hasDiffuse) offset += 4;
    if (fvf_ & kFvfSpecular) offset += 4;
    const std::uint32_t texCount = (fvf_ & kFvfTexCountMask) >> kFvfTexCountShift;
    const std::uint32_t texAt = offset;
    offset += 8 * texCount;
    const std::uint32_t vertexBytes = offset;

    // Every vertex the draw reads must lie inside the buffer: GL would read past it.
    // (The count comes first: it keeps the product below from overflowing.)
    if (stride_ < vertexBytes) return D3DERR_INVALIDCALL;
    if (primitive.vertices + startVertex > std::uint64_t(INT32_MAX)) return D3DERR_INVALIDCALL;
    const std::uint64_t last = std::uint64_t(startVertex) + primitive.vertices - 1;
    if (last * stride_ + vertexBytes > stream_->Length()) return D3DERR_INVALIDCALL;

    const Stage& stage = stages_[0];
    if (stage.texture && !stage.texture->Live()) return D3DERR_INVALIDCALL;

    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glViewport(0, 0, width_, height_);
    const Program* program = ProgramFor(KeyFor(stage));
    if (!program) return D3DERR_INVALIDCALL;
    glUseProgram(program->name);
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, stream_->Name());
    const auto at = [](std::uint32_t bytes) { return reinterpret_cast<const void*>(std::uintptr_t(bytes)); };
    const GLsizei stride = GLsizei(stride_);
    glEnableVertexAttribArray(kAttribPosition);
    glVertexAttribPointer(kAttribPosition, 3, GL_FLOAT, GL_FALSE, stride, at(0));
    if (hasNormal) {
        glEnableVertexAttribArray(kAttribNormal);
        glVertexAttribPointer(kAttribNormal, 3, GL_FLOAT, GL_FALSE, stride, at(normalAt));
    } else {
        glDisableVertexAttribArray(kAttribNormal);
        glVertexAttrib3f(kAttribNormal, 0, 0, 0);
    }
    if (hasDiffuse) {
        glEnableVertexAttribArray(kAttribDiffuse);
        glVertexAttribPointer(kAttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(diffuseAt));
    } else {
        glDisableVertexAttribArray(kAttribDiffuse);
        glVertexAttrib4f(kAttribDiffuse, 1, 1, 1, 1);
    }
    const std::uint32_t set = stage.texCoordIndex & 0xFFFFu;
    if (set < texCount) {
        glEnableVertexAttribArray(kAttribTexCoord);
        glVertexAttribPointer(kAttribTexCoord, 2, GL_FLOAT, GL_FALSE, stride, at(texAt + 8 * set));
    } else {
        glDisableVertexAttribArray(kAttribTexCoord);
        glVertexAttrib2f(kAttribTexCoord, 0, 0);
    }

    ApplyFixedFunction(*program, stage);
    glDrawArrays(primitive.mode, GLint(startVertex), GLsizei(primitive.vertices));
    return D3D_OK;
}

ShaderKey GlDevice::KeyFor(const Stage& stage) const {
    ShaderKey key;
    key.lighting = RenderState(D3DRS_LIGHTING, 1) != 0;
    key.normalize = RenderState(D3DRS_NORMALIZENORMALS, 0) != 0;
    key.texGen = (stage.texCoordIndex & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACENORMAL;
    key.texTransform = (stage.transformFlags & 0xFFu) != D3DTTFF_DISABLE;
    key.hasTexture = stage.texture != nullptr;
    key.colorOp = std::uint8_t(stage.colorOp);
    key.colorArg1 = std::uint8_t(stage.colorArg1);
    key.colorArg2 = std::uint8_t(stage.colorArg2);
    key.alphaOp = std::uint8_t(stage.alphaOp);
    key.alphaArg1 = std::uint8_t(stage.alphaArg1);
    key.alphaArg2 = std::uint8_t(stage.alphaArg2);
    return key;
}

const Program* GlDevice::ProgramFor(const ShaderKey& key) {
    const std::uint64_t packed = key.Packed();
    if (const auto found = programs_.find(packed); found != programs_.end()) return &found->second;
    Program program;
    if (!BuildProgram(program, key)) return nullptr;
    return &programs_.emplace(packed, program).first->second;
}

void GlDevice::ApplyFixedFunction(const Program& program, const Stage& stage) {
    const Uniforms& u = program.uniforms;
    // Transforms.
    const D3DMATRIX worldView = Multiply(world_, view_);
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, &projection_.m[0][0]);
    float normal[9];
    NormalMatrix(worldView, normal);
    glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, normal);
    glUniform2f(u.pixelOffset, 1.0f / float(width_), -1.0f / float(height_));

    // Lighting: directional lights only, in camera space like Direct3D's.
    const bool lighting = RenderState(D3DRS_LIGHTING, 1) != 0;
    glUniform1i(u.lighting, lighting ? 1 : 0);
    glUniform1i(u.normalize, RenderState(D3DRS_NORMALIZENORMALS, 0) != 0 ? 1 : 0);
    int count = 0;
    float directions[3 * kMaxLightsDrawn] = {}, colours[3 * kMaxLightsDrawn] = {};
    for (const auto& entry : lights_) {
        const Light& l = entry.second;
        if (!l.enabled || l.light.Type != D3DLIGHT_DIRECTIONAL || count >= int(kMaxLightsDrawn)) continue;
        const D3DVECTOR& d = l.light.Direction;
        // A direction is a row vector with w = 0: only the view's 3 x 3 part turns it.
        double cx = d.x * view_.m[0][0] + d.y * view_.m[1][0] + d.z * view_.m[2][0];
        double cy = d.x * view_.m[0][1] + d.y * view_.m[1][1] + d.z * view_.m[2][1];
        double cz = d.x * view_.m[0][2] + d.y * view_.m[1][2] + d.z * view_.m[2][2];
        const double len = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (len <= 0) continue;
        // Towards the light.
        directions[3 * count + 0] = float(-cx / len);
        directions[3 * count + 1] = float(-cy / len);
        directions[3 * count + 2] = float(-cz / len);
        colours[3 * count + 0] = l.light.Diffuse.r;
        colours[3 * count + 1] = l.light.Diffuse.g;
        colours[3 * count + 2] = l.light.Diffuse.b;
        ++count;
    }
    glUniform1i(u.lightCount, count);
    glUniform3fv(u.lightDirection, GLsizei(kMaxLightsDrawn), directions);
    glUniform3fv(u.lightDiffuse, GLsizei(kMaxLightsDrawn), colours);

    // Texture coordinates.
    glUniform1i(u.texGen, (stage.texCoordIndex & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACENORMAL ? 1 : 0);
    const std::uint32_t counted = stage.transformFlags & 0xFFu;
    glUniform1i(u.texTransform, counted != D3DTTFF_DISABLE ? 1 : 0);
    glUniformMatrix4fv(u.texMatrix, 1, GL_FALSE, &textureMatrix_[0].m[0][0]);

    // The texture stage.
    glUniform1i(u.colorOp, int(stage.colorOp));
    glUniform1i(u.colorArg1, int(stage.colorArg1));
    glUniform1i(u.colorArg2, int(stage.colorArg2));
    glUniform1i(u.alphaOp, int(stage.alphaOp));
    glUniform1i(u.alphaArg1, int(stage.alphaArg1));
    glUniform1i(u.alphaArg2, int(stage.alphaArg2));
    const std::uint32_t factor = RenderState(kRsTextureFactor, 0xFFFFFFFFu);
    glUniform4f(u.textureFactor, float((factor >> 16) & 0xFF) / 255.0f, float((factor >> 8) & 0xFF) / 255.0f,
                float(factor & 0xFF) / 255.0f, float(factor >> 24) / 255.0f);
    glUniform1i(u.hasTexture, stage.texture ? 1 : 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, stage.texture ? stage.texture->Name() : 0);
    glUniform1i(u.sampler, 0);
    glBindSampler(0, sampler_);
    const bool magLinear = stage.magFilter >= D3DTEXF_LINEAR;
    const bool minLinear = stage.minFilter >= D3DTEXF_LINEAR;
    GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (stage.mipFilter == D3DTEXF_POINT) minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (stage.mipFilter >= D3DTEXF_LINEAR) minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GLint(AddressMode(stage.addressU)));
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GLint(AddressMode(stage.addressV)));

    // Output merger.
    if (RenderState(D3DRS_ZENABLE, D3DZB_FALSE) != D3DZB_FALSE && hasDepth_) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunc(RenderState(D3DRS_ZFUNC, kCmpLessEqual)));
        glDepthMask(RenderState(D3DRS_ZWRITEENABLE, 1) != 0 ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    switch (RenderState(D3DRS_CULLMODE, D3DCULL_CCW)) {
        case D3DCULL_CW:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(GL_BACK);
            break;
        case D3DCULL_CCW:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(GL_FRONT);
            break;
        default: glDisable(GL_CULL_FACE); break;
    }
    if (RenderState(D3DRS_ALPHABLENDENABLE, 0) != 0) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(RenderState(D3DRS_SRCBLEND, kBlendOne)),
                    BlendFactor(RenderState(D3DRS_DESTBLEND, kBlendZero)));
    } else {
        glDisable(GL_BLEND);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

HResult GlDevice::MakeTexture(const std::vector<detail::Level>& levels, std::uint32_t format,
                              std::shared_ptr<IRenderTexture>& texture) {
    texture.reset();
    if (levels.empty() || (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) return D3DERR_INVALIDCALL;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const detail::Level& l = levels[i];
        const std::uint32_t w = std::max(1u, levels[0].width >> i), h = std::max(1u, levels[0].height >> i);
        if (l.width != w || l.height != h || l.pixels.size() != std::size_t(w) * h) return D3DERR_INVALIDCALL;
    }
    if (levels[0].width > MaxTextureSide() || levels[0].height > MaxTextureSide()) return D3DERR_INVALIDCALL;
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
        const detail::Level& l = levels[i];
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
    texture = std::make_shared<GlTexture>(shared_, name, format, std::uint32_t(levels.size()), int(levels[0].width),
                                          int(levels[0].height));
    return D3D_OK;
}

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
        auto made = std::make_shared<GlDevice>(surface_);
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

bool ReadBackBuffer(IRenderDevice& device, std::vector<std::uint32_t>& argb, int& width, int& height) {
    auto* gl = dynamic_cast<GlDevice*>(&device);
    return gl != nullptr && gl->Read(argb, width, height);
}

bool ReadTextureLevel(IRenderTexture& texture, std::uint32_t level, TextureLevel& out) {
    auto* gl = dynamic_cast<GlTexture*>(&texture);
    if (gl == nullptr || !gl->Live() || level >= gl->Levels()) return false;
    out.width = std::max(1, gl->Width() >> level);
    out.height = std::max(1, gl->Height() >> level);
    out.format = gl->Format();
    out.levelCount = gl->Levels();
    out.texels.assign(std::size_t(out.width) * out.height, 0);
    DrainErrors();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl->Name());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}

namespace detail {

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

}  // namespace vtl::gl
