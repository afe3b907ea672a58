#pragma once
// The Direct3D 8 states the OpenGL device keeps between draws, as plain data: render
// states, the texture stages' states, the transforms, the lights and the vertex
// format. Objects bound to the device (the stream's buffer, textures) are not state
// here: they are GL resources and the device holds them. Setters check what Direct3D
// checks when a value is set and answer D3DERR_INVALIDCALL where it does; whether a
// draw can use the states is decided at the draw (draw_plan.h).
#include <cstdint>
#include <map>

#include "platform/renderdevice.h"

namespace vtl::gl {

// Texture stages Direct3D 8 has; only the first is drawn.
inline constexpr std::uint32_t kMaxStages = 8;

// Direct3D's numbers for states and values the seam header does not name, because
// the engine never sets them; the device keeps and draws them all the same.
inline constexpr std::uint32_t kRsTextureFactor = 60;
inline constexpr std::uint32_t kTssAlphaArg1 = 5;
inline constexpr std::uint32_t kTssAlphaArg2 = 6;
inline constexpr std::uint32_t kTssAddressU = 13;
inline constexpr std::uint32_t kTssAddressV = 14;
inline constexpr std::uint32_t kTaCurrent = 1;
inline constexpr std::uint32_t kTaTexture = 2;
inline constexpr std::uint32_t kBlendZero = 1;
inline constexpr std::uint32_t kBlendOne = 2;
inline constexpr std::uint32_t kTAddressWrap = 1;

struct StageState {
    std::uint32_t colorOp = D3DTOP_DISABLE, colorArg1 = kTaTexture, colorArg2 = kTaCurrent;
    std::uint32_t alphaOp = D3DTOP_DISABLE, alphaArg1 = kTaTexture, alphaArg2 = kTaCurrent;
    std::uint32_t texCoordIndex = 0;
    std::uint32_t magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    std::uint32_t addressU = kTAddressWrap, addressV = kTAddressWrap;
    std::uint32_t transformFlags = D3DTTFF_DISABLE;
};

struct LightSlot {
    D3DLIGHT8 light{};
    bool enabled = false;
};

class FixedFunctionState {
public:
    // Direct3D's defaults for a device with (or without) a depth buffer.
    explicit FixedFunctionState(bool depth = true) { Reset(depth); }
    // Back to the defaults, as a device Reset leaves them.
    void Reset(bool depth);

    HResult SetRenderState(std::uint32_t state, std::uint32_t value);
    HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value);
    HResult SetTransform(std::uint32_t state, const D3DMATRIX& matrix);
    HResult GetTransform(std::uint32_t state, D3DMATRIX& matrix) const;
    HResult SetLight(std::uint32_t index, const D3DLIGHT8& light);
    HResult LightEnable(std::uint32_t index, bool enable);
    // Any value is taken; a draw refuses the formats it cannot read.
    void SetVertexFormat(std::uint32_t fvf) { fvf_ = fvf; }

    // The value last set, or `fallback` for a state that has none.
    std::uint32_t RenderState(std::uint32_t state, std::uint32_t fallback) const;
    // stage < kMaxStages.
    const StageState& Stage(std::uint32_t stage) const { return stages_[stage]; }
    const D3DMATRIX& World() const { return transforms_[kWorld]; }
    const D3DMATRIX& View() const { return transforms_[kView]; }
    const D3DMATRIX& Projection() const { return transforms_[kProjection]; }
    // stage < kMaxStages.
    const D3DMATRIX& TextureMatrix(std::uint32_t stage) const { return transforms_[kTexture0 + stage]; }
    // By index, so lights are drawn in index order.
    const std::map<std::uint32_t, LightSlot>& Lights() const { return lights_; }
    std::uint32_t VertexFormat() const { return fvf_; }

private:
    enum : int { kWorld, kView, kProjection, kTexture0, kTransforms = kTexture0 + int(kMaxStages) };
    // Where a transform state is kept; -1 for one Direct3D does not have.
    static int TransformSlot(std::uint32_t state);

    std::map<std::uint32_t, std::uint32_t> renderStates_;
    StageState stages_[kMaxStages];
    D3DMATRIX transforms_[kTransforms]{};
    std::map<std::uint32_t, LightSlot> lights_;
    std::uint32_t fvf_ = 0;
};

}  // namespace vtl::gl
