// The Direct3D 8 states the OpenGL device keeps, with Direct3D's defaults and the
// checks it makes when a state is set. Holds no GL and draws nothing.
#include "platform/gl/state/fixed_function_state.h"

#include "engine/e3dmath.h"

namespace vtl::gl {

void FixedFunctionState::Reset(bool depth) {
    renderStates_.clear();
    renderStates_[D3DRS_ZENABLE] = depth ? D3DZB_TRUE : D3DZB_FALSE;
    renderStates_[D3DRS_ZWRITEENABLE] = 1;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_ALPHABLENDENABLE] = 0;
    renderStates_[D3DRS_SRCBLEND] = kBlendOne;
    renderStates_[D3DRS_DESTBLEND] = kBlendZero;
    renderStates_[D3DRS_LIGHTING] = 1;
    renderStates_[D3DRS_NORMALIZENORMALS] = 0;
    renderStates_[kRsTextureFactor] = 0xFFFFFFFFu;
    for (StageState& s : stages_) s = StageState{};
    // Stage 0 starts as texture times diffuse colour, alpha from the texture.
    stages_[0].colorOp = D3DTOP_MODULATE;
    stages_[0].alphaOp = D3DTOP_SELECTARG1;
    for (D3DMATRIX& m : transforms_) m = kIdentityMatrix;
    lights_.clear();
    fvf_ = 0;
}

HResult FixedFunctionState::SetRenderState(std::uint32_t state, std::uint32_t value) {
    renderStates_[state] = value;
    return D3D_OK;
}

std::uint32_t FixedFunctionState::RenderState(std::uint32_t state, std::uint32_t fallback) const {
    const auto found = renderStates_.find(state);
    return found == renderStates_.end() ? fallback : found->second;
}

HResult FixedFunctionState::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) {
    if (stage >= kMaxStages) return D3DERR_INVALIDCALL;
    StageState& s = stages_[stage];
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

int FixedFunctionState::TransformSlot(std::uint32_t state) {
    if (state == D3DTS_WORLD) return kWorld;
    if (state == D3DTS_VIEW) return kView;
    if (state == D3DTS_PROJECTION) return kProjection;
    if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + kMaxStages) return kTexture0 + int(state - D3DTS_TEXTURE0);
    return -1;
}

HResult FixedFunctionState::SetTransform(std::uint32_t state, const D3DMATRIX& matrix) {
    const int slot = TransformSlot(state);
    if (slot < 0) return D3DERR_INVALIDCALL;
    transforms_[slot] = matrix;
    return D3D_OK;
}

HResult FixedFunctionState::GetTransform(std::uint32_t state, D3DMATRIX& matrix) const {
    const int slot = TransformSlot(state);
    if (slot < 0) return D3DERR_INVALIDCALL;
    matrix = transforms_[slot];
    return D3D_OK;
}

HResult FixedFunctionState::SetLight(std::uint32_t index, const D3DLIGHT8& light) {
    if (light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (light.Type != D3DLIGHT_POINT) {
        const D3DVECTOR& d = light.Direction;
        if (d.x == 0 && d.y == 0 && d.z == 0) return D3DERR_INVALIDCALL;
    }
    lights_[index].light = light;
    return D3D_OK;
}

HResult FixedFunctionState::LightEnable(std::uint32_t index, bool enable) {
    auto found = lights_.find(index);
    if (found == lights_.end()) {
        // Direct3D makes a white light shining along +z for an index never set.
        LightSlot fresh;
        fresh.light.Type = D3DLIGHT_DIRECTIONAL;
        fresh.light.Diffuse = {1, 1, 1, 0};
        fresh.light.Direction = {0, 0, 1};
        found = lights_.emplace(index, fresh).first;
    }
    found->second.enabled = enable;
    return D3D_OK;
}

}  // namespace vtl::gl
