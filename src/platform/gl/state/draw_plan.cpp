// The OpenGL device's draw decisions from the kept states: vertex layouts, primitive
// counts, the refusals, the program key, uniform values, sampler and output-merger
// settings. Holds no GL; gl_draw.cpp applies what it decides.
#include "platform/gl/state/draw_plan.h"

#include <cmath>
#include <cstdint>

#include "platform/gl/state/gl_values.h"

namespace vtl::gl {

namespace {

constexpr std::uint32_t kFvfPositionMask = 0x00E;
constexpr std::uint32_t kFvfPsize = 0x020;
constexpr std::uint32_t kFvfSpecular = 0x080;
constexpr std::uint32_t kFvfTexCountMask = 0xF00;
constexpr std::uint32_t kFvfTexCountShift = 8;
constexpr std::uint32_t kFvfKnown = 0x0FFF;
constexpr std::uint32_t kTexCoordSetMask = 0xFFFFu;
constexpr std::uint32_t kTexCoordGenMask = 0xFFFF0000u;
constexpr std::uint32_t kTransformCountMask = 0xFFu;

bool TexGen(const StageState& stage) {
    return (stage.texCoordIndex & kTexCoordGenMask) == D3DTSS_TCI_CAMERASPACENORMAL;
}
bool TexTransform(const StageState& stage) { return (stage.transformFlags & kTransformCountMask) != D3DTTFF_DISABLE; }

bool IsIdentity(const D3DMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

}  // namespace

bool LayoutOf(std::uint32_t fvf, VertexLayout& layout) {
    layout = VertexLayout{};
    if ((fvf & ~kFvfKnown) != 0 || (fvf & kFvfPositionMask) != D3DFVF_XYZ) return false;
    std::uint32_t offset = 12;
    layout.hasNormal = (fvf & D3DFVF_NORMAL) != 0;
    layout.normalAt = offset;
    if (layout.hasNormal) offset += 12;
    if (fvf & kFvfPsize) offset += 4;
    layout.hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
    layout.diffuseAt = offset;
    if (layout.hasDiffuse) offset += 4;
    if (fvf & kFvfSpecular) offset += 4;
    layout.texCount = (fvf & kFvfTexCountMask) >> kFvfTexCountShift;
    layout.texAt = offset;
    offset += 8 * layout.texCount;
    layout.bytes = offset;
    return true;
}

bool PrimitiveOf(std::uint32_t type, std::uint32_t count, Primitive& primitive) {
    const std::uint64_t n = count;
    switch (type) {
        case 1: primitive = {glv::kPoints, n}; return true;
        case 2: primitive = {glv::kLines, 2 * n}; return true;
        case 3: primitive = {glv::kLineStrip, n + 1}; return true;
        case D3DPT_TRIANGLELIST: primitive = {glv::kTriangles, 3 * n}; return true;
        case 5: primitive = {glv::kTriangleStrip, n + 2}; return true;
        case 6: primitive = {glv::kTriangleFan, n + 2}; return true;
        default: return false;
    }
}

std::uint32_t BlendFactor(std::uint32_t blend) {
    switch (blend) {
        case kBlendZero: return glv::kZero;
        case kBlendOne: return glv::kOne;
        case 3: return glv::kSrcColor;
        case 4: return glv::kOneMinusSrcColor;
        case D3DBLEND_SRCALPHA: return glv::kSrcAlpha;
        case D3DBLEND_INVSRCALPHA: return glv::kOneMinusSrcAlpha;
        case 7: return glv::kDstAlpha;
        case 8: return glv::kOneMinusDstAlpha;
        case 9: return glv::kDstColor;
        case 10: return glv::kOneMinusDstColor;
        case 11: return glv::kSrcAlphaSaturate;
        default: return glv::kOne;
    }
}

std::uint32_t CompareFunc(std::uint32_t cmp) {
    switch (cmp) {
        case 1: return glv::kNever;
        case 2: return glv::kLess;
        case 3: return glv::kEqual;
        case D3DCMP_LESSEQUAL: return glv::kLequal;
        case 5: return glv::kGreater;
        case 6: return glv::kNotequal;
        case 7: return glv::kGequal;
        default: return glv::kAlways;
    }
}

std::uint32_t AddressMode(std::uint32_t mode) {
    switch (mode) {
        case 2: return glv::kMirroredRepeat;
        case 3: return glv::kClampToEdge;
        case 4: return glv::kClampToBorder;
        default: return glv::kRepeat;
    }
}

SamplerPlan SamplerFor(const StageState& stage) {
    SamplerPlan plan;
    const bool magLinear = stage.magFilter >= D3DTEXF_LINEAR;
    const bool minLinear = stage.minFilter >= D3DTEXF_LINEAR;
    plan.magFilter = magLinear ? glv::kLinear : glv::kNearest;
    if (stage.mipFilter == D3DTEXF_NONE) {
        plan.minFilter = minLinear ? glv::kLinear : glv::kNearest;
    } else if (stage.mipFilter == D3DTEXF_POINT) {
        plan.minFilter = minLinear ? glv::kLinearMipmapNearest : glv::kNearestMipmapNearest;
    } else {
        plan.minFilter = minLinear ? glv::kLinearMipmapLinear : glv::kNearestMipmapLinear;
    }
    plan.wrapS = AddressMode(stage.addressU);
    plan.wrapT = AddressMode(stage.addressV);
    return plan;
}

OutputPlan OutputFor(const FixedFunctionState& state, bool hasDepth) {
    OutputPlan plan;
    plan.depthTest = state.RenderState(D3DRS_ZENABLE, D3DZB_FALSE) != D3DZB_FALSE && hasDepth;
    plan.depthFunc = CompareFunc(state.RenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL));
    plan.depthWrite = state.RenderState(D3DRS_ZWRITEENABLE, 1) != 0;
    plan.frontFace = glv::kCcw;
    switch (state.RenderState(D3DRS_CULLMODE, D3DCULL_CCW)) {
        case D3DCULL_CW:
            plan.cull = true;
            plan.cullFace = glv::kBack;
            break;
        case D3DCULL_CCW:
            plan.cull = true;
            plan.cullFace = glv::kFront;
            break;
        default: break;
    }
    plan.blend = state.RenderState(D3DRS_ALPHABLENDENABLE, 0) != 0;
    plan.srcFactor = BlendFactor(state.RenderState(D3DRS_SRCBLEND, kBlendOne));
    plan.dstFactor = BlendFactor(state.RenderState(D3DRS_DESTBLEND, kBlendZero));
    return plan;
}

ShaderKey KeyFor(const FixedFunctionState& state, bool textured) {
    const StageState& stage = state.Stage(0);
    ShaderKey key;
    key.lighting = state.RenderState(D3DRS_LIGHTING, 1) != 0;
    key.normalize = state.RenderState(D3DRS_NORMALIZENORMALS, 0) != 0;
    key.texGen = TexGen(stage);
    // An identity matrix moves no coordinate (x * 1 + 0 is exact), so it costs no
    // program of its own: the engine leaves the transform on with one after its
    // reflections.
    key.texTransform = TexTransform(stage) && !IsIdentity(state.TextureMatrix(0));
    key.hasTexture = textured;
    key.colorOp = std::uint8_t(stage.colorOp);
    key.colorArg1 = std::uint8_t(stage.colorArg1);
    key.colorArg2 = std::uint8_t(stage.colorArg2);
    key.alphaOp = std::uint8_t(stage.alphaOp);
    key.alphaArg1 = std::uint8_t(stage.alphaArg1);
    key.alphaArg2 = std::uint8_t(stage.alphaArg2);
    return key;
}

UniformValues UniformsFor(const FixedFunctionState& state, int width, int height) {
    UniformValues u;
    u.worldView = MatrixMultiply(state.World(), state.View());
    u.projection = state.Projection();
    u.normal = MakeNormalMatrix(u.worldView);
    u.pixelOffset[0] = 1.0f / float(width);
    u.pixelOffset[1] = -1.0f / float(height);

    // Directional lights only, in camera space like Direct3D's.
    const D3DMATRIX& view = state.View();
    for (const auto& entry : state.Lights()) {
        const LightSlot& l = entry.second;
        if (!l.enabled || l.light.Type != D3DLIGHT_DIRECTIONAL || u.lightCount >= int(kShaderLights)) continue;
        const D3DVECTOR& d = l.light.Direction;
        // A direction is a row vector with w = 0: only the view's 3 x 3 part turns it.
        const double cx = d.x * view.m[0][0] + d.y * view.m[1][0] + d.z * view.m[2][0];
        const double cy = d.x * view.m[0][1] + d.y * view.m[1][1] + d.z * view.m[2][1];
        const double cz = d.x * view.m[0][2] + d.y * view.m[1][2] + d.z * view.m[2][2];
        const double len = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (len <= 0) continue;
        float* towards = &u.lightDirection[3 * u.lightCount];
        towards[0] = float(-cx / len);
        towards[1] = float(-cy / len);
        towards[2] = float(-cz / len);
        float* colour = &u.lightDiffuse[3 * u.lightCount];
        colour[0] = l.light.Diffuse.r;
        colour[1] = l.light.Diffuse.g;
        colour[2] = l.light.Diffuse.b;
        ++u.lightCount;
    }

    u.texMatrix = state.TextureMatrix(0);
    const std::uint32_t factor = state.RenderState(kRsTextureFactor, 0xFFFFFFFFu);
    u.textureFactor[0] = float((factor >> 16) & 0xFF) / 255.0f;
    u.textureFactor[1] = float((factor >> 8) & 0xFF) / 255.0f;
    u.textureFactor[2] = float(factor & 0xFF) / 255.0f;
    u.textureFactor[3] = float(factor >> 24) / 255.0f;
    return u;
}

namespace {

HResult Plan(const FixedFunctionState& state, const DrawRequest& request, DrawPlan& plan) {
    if (!request.inScene || !request.hasTarget) return D3DERR_INVALIDCALL;
    if (!PrimitiveOf(request.type, request.primitiveCount, plan.primitive)) return D3DERR_INVALIDCALL;
    if (request.primitiveCount == 0) {
        plan.primitive.vertices = 0;
        return D3D_OK;
    }
    if (!LayoutOf(state.VertexFormat(), plan.layout)) return D3DERR_INVALIDCALL;
    if (!request.hasStream) return D3DERR_INVALIDCALL;

    // Every vertex the draw reads must lie inside the buffer: GL would read past it.
    // (The count comes first: it keeps the product below from overflowing.)
    const std::uint64_t vertices = plan.primitive.vertices;
    if (request.stride < plan.layout.bytes) return D3DERR_INVALIDCALL;
    if (vertices + request.startVertex > std::uint64_t(INT32_MAX)) return D3DERR_INVALIDCALL;
    const std::uint64_t last = std::uint64_t(request.startVertex) + vertices - 1;
    if (last * request.stride + plan.layout.bytes > request.streamBytes) return D3DERR_INVALIDCALL;
    if (request.textured && !request.textureLive) return D3DERR_INVALIDCALL;
    if (request.width <= 0 || request.height <= 0) return D3DERR_INVALIDCALL;

    plan.first = request.startVertex;
    const StageState& stage = state.Stage(0);
    const std::uint32_t set = stage.texCoordIndex & kTexCoordSetMask;
    plan.hasTexCoord = set < plan.layout.texCount;
    if (plan.hasTexCoord) plan.texCoordAt = plan.layout.texAt + 8 * set;
    plan.key = KeyFor(state, request.textured);
    plan.uniforms = UniformsFor(state, request.width, request.height);
    if (plan.key.lighting) plan.key.lights = std::uint8_t(plan.uniforms.lightCount);
    plan.sampler = SamplerFor(stage);
    plan.output = OutputFor(state, request.hasDepth);
    return D3D_OK;
}

}  // namespace

HResult PlanDraw(const FixedFunctionState& state, const DrawRequest& request, DrawPlan& plan) {
    plan = DrawPlan{};
    const HResult result = Plan(state, request, plan);
    if (result < 0) plan = DrawPlan{};
    return result;
}

}  // namespace vtl::gl
