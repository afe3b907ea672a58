#pragma once
// What the OpenGL device does for one DrawPrimitive, decided from the kept Direct3D 8
// states without touching GL: whether Direct3D would take the call, which vertices
// and attributes are read, which program variant draws it, the values of its
// uniforms, and the sampler and output-merger settings as OpenGL's own numbers
// (gl_values.h). The device applies a plan and decides nothing itself.
//
// Conventions bridged here:
// - Direct3D matrices are row-major for row vectors (v' = v * M). Handed to GL as they
//   lie in memory, GLSL sees their transposes, so `M * v` in a shader is D3D's v * M;
//   the normal matrix is laid out the same way.
// - Direct3D names a winding as it looks on the screen, as GL's window coordinates do
//   (both put NDC +y at the top): D3DCULL_CCW culls what GL calls front faces (CCW).
// - Direct3D 8 samples pixels at integer screen coordinates, GL at half-integers: the
//   pixel offset moves every vertex half a pixel right and down.
#include <cstdint>

#include "engine/e3dmath.h"
#include "platform/gl/state/fixed_function_state.h"
#include "platform/gl/state/shader_key.h"

namespace vtl::gl {

// Where a vertex's attributes lie, in bytes from its start.
struct VertexLayout {
    std::uint32_t bytes = 0;  // one whole vertex as the format lays it out
    bool hasNormal = false, hasDiffuse = false;
    std::uint32_t normalAt = 0, diffuseAt = 0;
    std::uint32_t texCount = 0, texAt = 0;  // two-float coordinate sets, and where the first lies
};

// The layout of a vertex format the device draws: untransformed positions (x, y, z),
// then the optional normal, point size, diffuse, specular and coordinate sets. False
// for any other format (pre-transformed or blended positions, unknown bits).
bool LayoutOf(std::uint32_t fvf, VertexLayout& layout);

// A Direct3D primitive type and count as a GL mode and the vertices it reads.
struct Primitive {
    std::uint32_t mode = 0;
    std::uint64_t vertices = 0;
};
// False for a type Direct3D 8 does not have.
bool PrimitiveOf(std::uint32_t type, std::uint32_t count, Primitive& primitive);

// Direct3D blend factor, compare function and texture address mode as GL's; values
// Direct3D does not define fall back to what draws as its defaults would.
std::uint32_t BlendFactor(std::uint32_t blend);
std::uint32_t CompareFunc(std::uint32_t cmp);
std::uint32_t AddressMode(std::uint32_t mode);

struct SamplerPlan {
    std::uint32_t magFilter = 0, minFilter = 0, wrapS = 0, wrapT = 0;
};
SamplerPlan SamplerFor(const StageState& stage);

struct OutputPlan {
    bool depthTest = false, depthWrite = false;
    std::uint32_t depthFunc = 0;
    bool cull = false;
    std::uint32_t frontFace = 0, cullFace = 0;
    bool blend = false;
    std::uint32_t srcFactor = 0, dstFactor = 0;
};
// Depth testing needs a depth buffer as well as the state.
OutputPlan OutputFor(const FixedFunctionState& state, bool hasDepth);

// The program variant for the states and whether stage 0 has a texture bound.
ShaderKey KeyFor(const FixedFunctionState& state, bool textured);

struct UniformValues {
    D3DMATRIX worldView{}, projection{}, texMatrix{};
    NormalMatrix3 normal{};  // of worldView
    float pixelOffset[2] = {};
    // Enabled directional lights in index order, in camera space, pointing towards
    // the light; their diffuse colours.
    int lightCount = 0;
    float lightDirection[3 * kShaderLights] = {}, lightDiffuse[3 * kShaderLights] = {};
    float textureFactor[4] = {};  // r, g, b, a
};
// For a back buffer of width x height pixels (both above 0).
UniformValues UniformsFor(const FixedFunctionState& state, int width, int height);

// A draw as asked, with what the device has bound for it.
struct DrawRequest {
    std::uint32_t type = 0, startVertex = 0, primitiveCount = 0;
    bool inScene = false, hasTarget = false, hasDepth = false;
    int width = 0, height = 0;  // of the back buffer
    bool hasStream = false;
    std::uint64_t streamBytes = 0;
    std::uint32_t stride = 0;
    bool textured = false, textureLive = false;
};

struct DrawPlan {
    Primitive primitive;  // no vertices: nothing to draw
    std::uint32_t first = 0;
    VertexLayout layout;
    bool hasTexCoord = false;      // the set stage 0 reads is in the stream...
    std::uint32_t texCoordAt = 0;  // ...here
    ShaderKey key;
    UniformValues uniforms;
    SamplerPlan sampler;
    OutputPlan output;
};

// D3DERR_INVALIDCALL where Direct3D refuses the draw, or where GL would read past the
// stream's buffer, with a plan that draws nothing; D3D_OK otherwise, with the plan
// filled in.
HResult PlanDraw(const FixedFunctionState& state, const DrawRequest& request, DrawPlan& plan);

}  // namespace vtl::gl
