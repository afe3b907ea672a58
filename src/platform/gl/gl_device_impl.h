#pragma once
// The OpenGL render device inside the library: its back buffer and depth buffer (the
// window's own framebuffer when it can stand in for them, else a framebuffer of the
// device's own), its bound stream and textures, and the Direct3D 8 states it keeps as
// plain data (state/fixed_function_state.h). Lifecycle in gl_device.cpp, the choice
// of framebuffer in gl_target.cpp, draws in gl_draw.cpp, read-back in gl_readback.cpp.
#include <epoxy/gl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/gl/gl_device.h"
#include "platform/gl/gl_resources.h"
#include "platform/gl/gl_shaders.h"
#include "platform/gl/state/draw_plan.h"
#include "platform/gl/state/fixed_function_state.h"

namespace vtl::gl::detail {

class GlDevice : public IRenderDevice {
public:
    explicit GlDevice(std::shared_ptr<IGlSurface> surface);
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // Makes the back buffer and depth buffer the parameters ask for, filling in the
    // sizes taken from the screen.
    HResult MakeTargets(D3DPRESENT_PARAMETERS& params);

    HResult BeginScene() override;
    HResult EndScene() override;
    HResult Present() override;
    // No other windows to present into on this platform.
    HResult PresentTo(WindowHandle) override { return D3DERR_INVALIDCALL; }
    HResult TestCooperativeLevel() override;
    HResult Reset(D3DPRESENT_PARAMETERS& params) override;
    HResult Clear(std::uint32_t rectCount, std::uint32_t flags, D3DCOLOR color, float z,
                  std::uint32_t stencil) override;

    HResult SetRenderState(std::uint32_t state, std::uint32_t value) override {
        return states_.SetRenderState(state, value);
    }
    HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override {
        return states_.SetTextureStageState(stage, type, value);
    }
    HResult SetTransform(std::uint32_t state, const D3DMATRIX& matrix) override {
        return states_.SetTransform(state, matrix);
    }
    HResult GetTransform(std::uint32_t state, D3DMATRIX& matrix) override {
        return states_.GetTransform(state, matrix);
    }
    HResult SetLight(std::uint32_t index, const D3DLIGHT8& light) override { return states_.SetLight(index, light); }
    HResult LightEnable(std::uint32_t index, bool enable) override { return states_.LightEnable(index, enable); }

    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool,
                               std::shared_ptr<IRenderVertexBuffer>& buffer) override;
    HResult SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) override;
    HResult SetVertexShader(std::uint32_t handle) override {
        states_.SetVertexFormat(handle);
        return D3D_OK;
    }
    HResult DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;
    HResult SetTexture(std::uint32_t stage, IRenderTexture* texture) override;

    // The back buffer, top row first, 0xAARRGGBB; false without one or on a GL error.
    bool Read(std::vector<std::uint32_t>& argb, int& width, int& height);
    HResult MakeTexture(const std::vector<Level>& levels, std::uint32_t format,
                        std::shared_ptr<IRenderTexture>& texture) {
        return detail::MakeTexture(shared_, levels, format, MaxTextureSide(), texture);
    }
    std::uint32_t MaxTextureSide() const;

private:
    // Direct3D's defaults again, and nothing bound.
    void ResetStates(bool depth);
    void DeleteTargets();
    // The device's own framebuffer of the back buffer's size and formats; false, and
    // nothing made, when GL cannot make it.
    bool MakeOwnFramebuffer();
    void DeleteOwnFramebuffer();
    // Whether the context's default framebuffer has what the back buffer needs (colour
    // of eight bits a channel, alpha when asked for, at least the depth bits asked for,
    // no multisampling); asked once per set of targets.
    bool DefaultFramebufferFits(std::uint32_t depthFormat) const;
    // The framebuffer this frame draws into, chosen at its first clear, draw or read:
    // the window's own while the window has the back buffer's size, the device's own
    // otherwise (Present then stretches it over the window). Bound on return.
    GLuint FrameTarget();
    // The program made for the key, made now if this is its first draw; null when it
    // does not compile.
    const Program* ProgramFor(const ShaderKey& key);
    void BindVertices(const DrawPlan& plan);
    void Apply(const Program& program, const DrawPlan& plan);

    std::shared_ptr<IGlSurface> surface_;
    std::shared_ptr<Shared> shared_;
    std::map<std::uint64_t, Program> programs_;
    GLuint vao_ = 0, sampler_ = 0;
    bool targets_ = false;  // a back buffer exists (in the window, fbo_, or both)
    GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
    std::uint32_t depthFormat_ = 0;
    bool windowFits_ = false;  // DefaultFramebufferFits for the present targets
    bool frameChosen_ = false, frameDirect_ = false;
    int width_ = 0, height_ = 0;
    bool hasDepth_ = false;
    bool alphaTarget_ = false;
    bool inScene_ = false;
    int faultState_ = 0;  // the injected loss: 0 none yet, 1 lost, 2 over

    FixedFunctionState states_;
    // Held as Direct3D holds bound objects: they live while bound.
    std::shared_ptr<GlVertexBuffer> stream_;
    std::uint32_t stride_ = 0;
    std::shared_ptr<GlTexture> textures_[kMaxStages];
};

}  // namespace vtl::gl::detail
