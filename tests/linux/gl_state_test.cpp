// The OpenGL device's Direct3D 8 states and draw decisions, without a context: the
// states Direct3D refuses, vertex layouts, primitive counts, every Direct3D value
// against the GL enum the header defines for it, the cull convention, the program
// key, and the uniforms (transform order, the normal matrix, lights in camera space).
// The GL header is only read for its enum names here; nothing calls GL.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>
#include <cstdint>
#include <set>

#include "engine/e3dmath.h"
#include "platform/gl/state/draw_plan.h"
#include "platform/gl/state/fixed_function_state.h"

namespace vtl::gl {
namespace {

constexpr std::uint32_t kEngineFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr std::uint32_t kVertexBytes = 36;

D3DLIGHT8 Directional(D3DVECTOR direction, float level = 0.75f) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {level, level, level, 0};
    light.Direction = direction;
    return light;
}

// v * m for a row vector, w = 0 (a direction or a normal through a 3 x 3).
D3DVECTOR Turn(const D3DVECTOR& v, const NormalMatrix3& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}
D3DVECTOR Turn(const D3DVECTOR& v, const D3DMATRIX& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

TEST(GlState, SettersRefuseWhatDirect3DRefuses) {
    FixedFunctionState s;
    const D3DMATRIX m = MakeTranslationMatrix(1, 2, 3);
    struct Case {
        std::uint32_t transform;
        bool ok;
    } const transforms[] = {
        {D3DTS_WORLD, true},
        {D3DTS_VIEW, true},
        {D3DTS_PROJECTION, true},
        {D3DTS_TEXTURE0, true},
        {D3DTS_TEXTURE0 + 7, true},
        {D3DTS_TEXTURE0 + 8, false},
        {0, false},
        {1, false},
        {D3DTS_WORLD + 1, false},
    };
    for (const Case& c : transforms) {
        D3DMATRIX back = kZeroMatrix;
        EXPECT_EQ(s.SetTransform(c.transform, m) == D3D_OK, c.ok) << c.transform;
        EXPECT_EQ(s.GetTransform(c.transform, back) == D3D_OK, c.ok) << c.transform;
        if (c.ok) {
            EXPECT_EQ(back.m[3][2], 3.0f) << "reads back what was set: " << c.transform;
        }
    }
    EXPECT_EQ(s.SetTextureStageState(kMaxStages - 1, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    EXPECT_EQ(s.SetTextureStageState(kMaxStages, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);

    struct LightCase {
        const char* what;
        std::uint32_t type;
        D3DVECTOR direction;
        bool ok;
    } const lights[] = {
        {"directional", D3DLIGHT_DIRECTIONAL, {0, 0, -1}, true},
        {"directional without a direction", D3DLIGHT_DIRECTIONAL, {0, 0, 0}, false},
        {"spot without a direction", D3DLIGHT_SPOT, {0, 0, 0}, false},
        {"point: no direction needed", D3DLIGHT_POINT, {0, 0, 0}, true},
        {"type 0", 0, {0, 0, 1}, false},
        {"type 4", 4, {0, 0, 1}, false},
    };
    for (const LightCase& c : lights) {
        D3DLIGHT8 light = Directional(c.direction);
        light.Type = D3DLIGHTTYPE(c.type);
        EXPECT_EQ(s.SetLight(3, light) == D3D_OK, c.ok) << c.what;
    }
}

TEST(GlState, DefaultsAreDirect3DsAndResetRestoresThem) {
    FixedFunctionState s(true);
    EXPECT_EQ(s.RenderState(D3DRS_ZENABLE, 99), D3DZB_TRUE);
    EXPECT_EQ(FixedFunctionState(false).RenderState(D3DRS_ZENABLE, 99), D3DZB_FALSE) << "no depth buffer";
    EXPECT_EQ(s.RenderState(D3DRS_CULLMODE, 99), D3DCULL_CCW);
    EXPECT_EQ(s.RenderState(D3DRS_LIGHTING, 99), 1u);
    EXPECT_EQ(s.RenderState(12345, 99), 99u) << "a state never set has no value";
    EXPECT_EQ(s.Stage(0).colorOp, D3DTOP_MODULATE);
    EXPECT_EQ(s.Stage(0).alphaOp, D3DTOP_SELECTARG1);
    EXPECT_EQ(s.Stage(1).colorOp, D3DTOP_DISABLE);

    // A light enabled without ever being set is Direct3D's white one along +z.
    EXPECT_EQ(s.LightEnable(5, true), D3D_OK);
    ASSERT_EQ(s.Lights().count(5), 1u);
    const LightSlot& made = s.Lights().at(5);
    EXPECT_TRUE(made.enabled);
    EXPECT_EQ(made.light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(made.light.Diffuse.r, 1.0f);
    EXPECT_EQ(made.light.Direction.z, 1.0f);

    s.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    s.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    s.SetTransform(D3DTS_WORLD, MakeScaleMatrix(2, 2, 2));
    s.SetVertexFormat(kEngineFvf);
    s.Reset(true);
    EXPECT_EQ(s.RenderState(D3DRS_CULLMODE, 99), D3DCULL_CCW);
    EXPECT_EQ(s.Stage(0).colorOp, D3DTOP_MODULATE);
    EXPECT_EQ(s.World().m[0][0], 1.0f);
    EXPECT_TRUE(s.Lights().empty());
    EXPECT_EQ(s.VertexFormat(), 0u);
}

TEST(GlState, VertexFormatsGiveTheirOffsetsOrAreRefused) {
    struct Case {
        const char* what;
        std::uint32_t fvf;
        bool ok;
        std::uint32_t bytes, normalAt, diffuseAt, texAt, texCount;
    } const cases[] = {
        {"the engine's vertex", kEngineFvf, true, 36, 12, 24, 28, 1},
        {"position alone", D3DFVF_XYZ, true, 12, 12, 12, 12, 0},
        {"position and colour", D3DFVF_XYZ | D3DFVF_DIFFUSE, true, 16, 12, 12, 16, 0},
        {"point size and specular take room", D3DFVF_XYZ | 0x020 | D3DFVF_DIFFUSE | 0x080 | 0x200, true, 40, 12, 16, 24,
         2},
        {"pre-transformed", 0x004 | D3DFVF_DIFFUSE, false, 0, 0, 0, 0, 0},
        {"blend weights", 0x006 | D3DFVF_NORMAL, false, 0, 0, 0, 0, 0},
        {"no position", D3DFVF_NORMAL, false, 0, 0, 0, 0, 0},
        {"an unknown bit", kEngineFvf | 0x1000, false, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        VertexLayout layout;
        ASSERT_EQ(LayoutOf(c.fvf, layout), c.ok) << c.what;
        if (!c.ok) continue;
        EXPECT_EQ(layout.bytes, c.bytes) << c.what;
        EXPECT_EQ(layout.normalAt, c.normalAt) << c.what;
        EXPECT_EQ(layout.diffuseAt, c.diffuseAt) << c.what;
        EXPECT_EQ(layout.texAt, c.texAt) << c.what;
        EXPECT_EQ(layout.texCount, c.texCount) << c.what;
    }
}

TEST(GlState, PrimitiveTypesBecomeGlModesAndVertexCounts) {
    struct Case {
        std::uint32_t type, count;
        bool ok;
        std::uint32_t mode;
        std::uint64_t vertices;
    } const cases[] = {
        {1, 5, true, GL_POINTS, 5},
        {2, 5, true, GL_LINES, 10},
        {3, 5, true, GL_LINE_STRIP, 6},
        {D3DPT_TRIANGLELIST, 2, true, GL_TRIANGLES, 6},
        {5, 2, true, GL_TRIANGLE_STRIP, 4},
        {6, 2, true, GL_TRIANGLE_FAN, 4},
        {D3DPT_TRIANGLELIST, 0xFFFFFFFFu, true, GL_TRIANGLES, 3ull * 0xFFFFFFFFu},  // counted without wrapping
        {0, 1, false, 0, 0},
        {7, 1, false, 0, 0},
    };
    for (const Case& c : cases) {
        Primitive p;
        ASSERT_EQ(PrimitiveOf(c.type, c.count, p), c.ok) << c.type;
        if (!c.ok) continue;
        EXPECT_EQ(p.mode, c.mode) << c.type;
        EXPECT_EQ(p.vertices, c.vertices) << c.type;
    }
}

TEST(GlState, Direct3DValuesBecomeTheGlEnumsOfTheHeader) {
    struct Case {
        std::uint32_t d3d, gl;
    };
    const Case blends[] = {
        {kBlendZero, GL_ZERO},
        {kBlendOne, GL_ONE},
        {3, GL_SRC_COLOR},
        {4, GL_ONE_MINUS_SRC_COLOR},
        {D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
        {D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {7, GL_DST_ALPHA},
        {8, GL_ONE_MINUS_DST_ALPHA},
        {9, GL_DST_COLOR},
        {10, GL_ONE_MINUS_DST_COLOR},
        {11, GL_SRC_ALPHA_SATURATE},
        {0, GL_ONE},
        {12, GL_ONE},  // not a factor drawn here
    };
    for (const Case& c : blends) EXPECT_EQ(BlendFactor(c.d3d), c.gl) << "blend " << c.d3d;
    const Case compares[] = {
        {1, GL_NEVER},   {2, GL_LESS},     {3, GL_EQUAL},  {D3DCMP_LESSEQUAL, GL_LEQUAL},
        {5, GL_GREATER}, {6, GL_NOTEQUAL}, {7, GL_GEQUAL}, {8, GL_ALWAYS},
        {0, GL_ALWAYS},
    };
    for (const Case& c : compares) EXPECT_EQ(CompareFunc(c.d3d), c.gl) << "compare " << c.d3d;
    const Case addresses[] = {
        {1, GL_REPEAT}, {2, GL_MIRRORED_REPEAT}, {3, GL_CLAMP_TO_EDGE}, {4, GL_CLAMP_TO_BORDER}, {5, GL_REPEAT},
    };
    for (const Case& c : addresses) EXPECT_EQ(AddressMode(c.d3d), c.gl) << "address " << c.d3d;

    struct Filter {
        std::uint32_t mag, min, mip;
        std::uint32_t glMag, glMin;
    } const filters[] = {
        {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, GL_NEAREST, GL_NEAREST},  // Direct3D's default
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, GL_LINEAR, GL_LINEAR},  // the engine's textured draws
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR},
        {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_POINT, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST},
        {D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_LINEAR, GL_NEAREST, GL_NEAREST_MIPMAP_LINEAR},
        {3, 3, D3DTEXF_NONE, GL_LINEAR, GL_LINEAR},  // anisotropic filters as linear
    };
    for (const Filter& f : filters) {
        StageState stage;
        stage.magFilter = f.mag;
        stage.minFilter = f.min;
        stage.mipFilter = f.mip;
        stage.addressU = 3;
        const SamplerPlan plan = SamplerFor(stage);
        EXPECT_EQ(plan.magFilter, f.glMag) << f.mag << "/" << f.min << "/" << f.mip;
        EXPECT_EQ(plan.minFilter, f.glMin) << f.mag << "/" << f.min << "/" << f.mip;
        EXPECT_EQ(plan.wrapS, std::uint32_t(GL_CLAMP_TO_EDGE));
        EXPECT_EQ(plan.wrapT, std::uint32_t(GL_REPEAT));
    }
}

// Whether GL culls a triangle of the given winding as seen on the screen; GL's window
// coordinates have the screen's top at +y, so its winding is the one seen.
bool Culled(const OutputPlan& plan, bool clockwiseOnScreen) {
    if (!plan.cull) return false;
    const bool front = (clockwiseOnScreen ? GL_CW : GL_CCW) == plan.frontFace;
    return plan.cullFace == GL_FRONT_AND_BACK || plan.cullFace == (front ? GL_FRONT : GL_BACK);
}

TEST(GlState, CullModesNameTheWindingSeenOnScreen) {
    struct Case {
        std::uint32_t cull;
        bool clockwiseCulled, anticlockwiseCulled;
    } const cases[] = {
        {D3DCULL_CCW, false, true},  // the engine's front buffers
        {D3DCULL_CW, true, false},   // its back buffers
        {D3DCULL_NONE, false, false},
    };
    for (const Case& c : cases) {
        FixedFunctionState s;
        s.SetRenderState(D3DRS_CULLMODE, c.cull);
        const OutputPlan plan = OutputFor(s, true);
        EXPECT_EQ(Culled(plan, true), c.clockwiseCulled) << "cull " << c.cull;
        EXPECT_EQ(Culled(plan, false), c.anticlockwiseCulled) << "cull " << c.cull;
    }
}

TEST(GlState, DepthAndBlendFollowTheirStatesAndTheDepthBuffer) {
    struct Case {
        const char* what;
        std::uint32_t zEnable, zWrite, zFunc;
        bool hasDepth, test, write;
        std::uint32_t func;
    } const cases[] = {
        {"the engine's frames", D3DZB_TRUE, 1, D3DCMP_LESSEQUAL, true, true, true, GL_LEQUAL},
        {"no depth writes", D3DZB_TRUE, 0, D3DCMP_LESSEQUAL, true, true, false, GL_LEQUAL},
        {"w-buffering tests as z", 2, 1, 2, true, true, true, GL_LESS},
        {"depth off", D3DZB_FALSE, 1, D3DCMP_LESSEQUAL, true, false, true, GL_LEQUAL},
        {"no depth buffer to test", D3DZB_TRUE, 1, D3DCMP_LESSEQUAL, false, false, true, GL_LEQUAL},
    };
    for (const Case& c : cases) {
        FixedFunctionState s;
        s.SetRenderState(D3DRS_ZENABLE, c.zEnable);
        s.SetRenderState(D3DRS_ZWRITEENABLE, c.zWrite);
        s.SetRenderState(D3DRS_ZFUNC, c.zFunc);
        const OutputPlan plan = OutputFor(s, c.hasDepth);
        EXPECT_EQ(plan.depthTest, c.test) << c.what;
        if (c.test) {
            EXPECT_EQ(plan.depthWrite, c.write) << c.what;
            EXPECT_EQ(plan.depthFunc, c.func) << c.what;
        }
    }
    FixedFunctionState s;
    EXPECT_FALSE(OutputFor(s, true).blend) << "off by default";
    // The number font's overlay.
    s.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    s.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    s.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const OutputPlan plan = OutputFor(s, true);
    EXPECT_TRUE(plan.blend);
    EXPECT_EQ(plan.srcFactor, std::uint32_t(GL_SRC_ALPHA));
    EXPECT_EQ(plan.dstFactor, std::uint32_t(GL_ONE_MINUS_SRC_ALPHA));
}

TEST(GlState, ProgramKeysFollowTheStatesAndNeverCollide) {
    FixedFunctionState s;
    ShaderKey key = KeyFor(s, false);
    EXPECT_TRUE(key.lighting);
    EXPECT_FALSE(key.normalize || key.texGen || key.texTransform || key.hasTexture);
    EXPECT_EQ(key.colorOp, D3DTOP_MODULATE);
    EXPECT_TRUE(KeyFor(s, true).hasTexture);

    // The engine's reflection set-up generates coordinates from camera-space normals
    // and runs them through the texture matrix; the set number beside it is no switch.
    // With the identity matrix the transform is left out: it would move nothing.
    s.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    EXPECT_FALSE(KeyFor(s, true).texTransform);
    D3DMATRIX reflection = kIdentityMatrix;
    reflection.m[0][0] = 0.5f;
    reflection.m[1][1] = -0.5f;
    reflection.m[3][0] = reflection.m[3][1] = 0.5f;
    s.SetTransform(D3DTS_TEXTURE0, reflection);
    struct Case {
        std::uint32_t index, flags;
        bool texGen, texTransform;
    } const cases[] = {
        {D3DTSS_TCI_CAMERASPACENORMAL, D3DTTFF_COUNT2, true, true},
        {D3DTSS_TCI_CAMERASPACENORMAL | 1, D3DTTFF_COUNT2, true, true},
        {D3DTSS_TCI_PASSTHRU, D3DTTFF_COUNT2, false, true},
        {1, D3DTTFF_DISABLE, false, false},
        {D3DTSS_TCI_PASSTHRU, D3DTTFF_DISABLE | 0x100, false, false},  // projected alone counts nothing
    };
    for (const Case& c : cases) {
        s.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.index);
        s.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, c.flags);
        key = KeyFor(s, true);
        EXPECT_EQ(key.texGen, c.texGen) << std::hex << c.index << " " << c.flags;
        EXPECT_EQ(key.texTransform, c.texTransform) << std::hex << c.index << " " << c.flags;
    }

    // Each switch and stage value alone gives a program of its own.
    std::set<std::uint64_t> packed{ShaderKey{}.Packed()};
    const auto differs = [&packed](ShaderKey k) { return packed.insert(k.Packed()).second; };
    ShaderKey k;
    k = {};
    k.lighting = true;
    EXPECT_TRUE(differs(k));
    k = {};
    k.normalize = true;
    EXPECT_TRUE(differs(k));
    k = {};
    k.texGen = true;
    EXPECT_TRUE(differs(k));
    k = {};
    k.texTransform = true;
    EXPECT_TRUE(differs(k));
    k = {};
    k.hasTexture = true;
    EXPECT_TRUE(differs(k));
    for (std::uint8_t lights = 1; lights <= kShaderLights; ++lights) {
        k = {};
        k.lights = lights;
        EXPECT_TRUE(differs(k));
    }
    for (std::uint8_t value : {1, 0x10, 0x20, 0xFF}) {
        k = {};
        k.colorOp = value;
        EXPECT_TRUE(differs(k));
        k = {};
        k.colorArg1 = value;
        EXPECT_TRUE(differs(k));
        k = {};
        k.colorArg2 = value;
        EXPECT_TRUE(differs(k));
        k = {};
        k.alphaOp = value;
        EXPECT_TRUE(differs(k));
        k = {};
        k.alphaArg1 = value;
        EXPECT_TRUE(differs(k));
        k = {};
        k.alphaArg2 = value;
        EXPECT_TRUE(differs(k));
    }
}

TEST(GlState, UniformsCarryTheTransformsInDirect3DsOrder) {
    FixedFunctionState s;
    s.SetTransform(D3DTS_WORLD, MakeTranslationMatrix(1, 2, 3));
    s.SetTransform(D3DTS_VIEW, MakeScaleMatrix(2, 2, 2));
    s.SetTransform(D3DTS_TEXTURE0, MakeScaleMatrix(0.5f, -0.5f, 1));
    const UniformValues u = UniformsFor(s, 64, 48);
    // The world acts first: the translation is scaled by the view.
    EXPECT_EQ(u.worldView.m[3][0], 2.0f);
    EXPECT_EQ(u.worldView.m[3][2], 6.0f);
    EXPECT_EQ(u.worldView.m[0][0], 2.0f);
    EXPECT_EQ(u.texMatrix.m[1][1], -0.5f);
    EXPECT_FLOAT_EQ(u.pixelOffset[0], 1.0f / 64);
    EXPECT_FLOAT_EQ(u.pixelOffset[1], -1.0f / 48);
}

TEST(GlState, TheNormalMatrixKeepsNormalsUprightUnderNonUniformScale) {
    struct Case {
        const char* what;
        D3DMATRIX world;
    } const cases[] = {
        {"stretched along x", MakeScaleMatrix(2, 1, 1)},
        {"squashed and turned", MatrixMultiply(MakeScaleMatrix(1, 0.25f, 3), MakeRotationZMatrix(0.7f))},
    };
    // A surface through the origin with this normal and these two tangents.
    const D3DVECTOR normal{1, 1, 1}, t1{1, -1, 0}, t2{0, 1, -1};
    for (const Case& c : cases) {
        FixedFunctionState s;
        s.SetTransform(D3DTS_WORLD, c.world);
        const UniformValues u = UniformsFor(s, 64, 48);
        const D3DVECTOR n = Turn(normal, u.normal), a = Turn(t1, u.worldView), b = Turn(t2, u.worldView);
        EXPECT_NEAR(VecDot(n, a), 0.0f, 1e-5f) << c.what;
        EXPECT_NEAR(VecDot(n, b), 0.0f, 1e-5f) << c.what;
    }
    // A flattened model keeps its own 3 x 3 so that it still lights.
    FixedFunctionState flat;
    flat.SetTransform(D3DTS_WORLD, MakeScaleMatrix(1, 1, 0));
    const NormalMatrix3 n = UniformsFor(flat, 64, 48).normal;
    EXPECT_EQ(n.m[0][0], 1.0f);
    EXPECT_EQ(n.m[1][1], 1.0f);
    EXPECT_EQ(n.m[2][2], 0.0f);
}

TEST(GlState, LightsReachTheShaderInCameraSpacePointingAtTheLight) {
    // The engine's camera: at +z looking at the origin, so world -x is camera +x.
    D3DMATRIX view = kIdentityMatrix;
    ASSERT_EQ(MakeLookAtMatrix(view, MakeVector(0, 0, 1.44f), MakeVector(0, 0, 0), MakeVector(0, 1, 0)), kResultOk);
    struct Case {
        const char* what;
        D3DVECTOR direction, towards;
    } const cases[] = {
        {"the engine's light 0, from behind the camera", {0, 0, -1}, {0, 0, -1}},
        {"along world +x", {1, 0, 0}, {1, 0, 0}},
        {"any length", {0, -3, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        FixedFunctionState s;
        s.SetTransform(D3DTS_VIEW, view);
        s.SetLight(0, Directional(c.direction, 0.5f));
        s.LightEnable(0, true);
        const UniformValues u = UniformsFor(s, 64, 48);
        ASSERT_EQ(u.lightCount, 1) << c.what;
        EXPECT_NEAR(u.lightDirection[0], c.towards.x, 1e-6f) << c.what;
        EXPECT_NEAR(u.lightDirection[1], c.towards.y, 1e-6f) << c.what;
        EXPECT_NEAR(u.lightDirection[2], c.towards.z, 1e-6f) << c.what;
        EXPECT_EQ(u.lightDiffuse[0], 0.5f) << c.what;
    }

    // Enabled directional lights only, in index order, no more than the shader takes.
    FixedFunctionState s;
    D3DLIGHT8 point = Directional({0, 0, 1});
    point.Type = D3DLIGHT_POINT;
    s.SetLight(0, point);
    s.LightEnable(0, true);
    for (std::uint32_t i = 0; i < kShaderLights + 2; ++i) {
        s.SetLight(10 - i, Directional({0, 0, 1}, float(10 - i) / 16));
        s.LightEnable(10 - i, true);
    }
    s.LightEnable(1, false);  // set, but switched off
    const UniformValues u = UniformsFor(s, 64, 48);
    ASSERT_EQ(u.lightCount, int(kShaderLights));
    for (unsigned i = 0; i < kShaderLights; ++i) EXPECT_EQ(u.lightDiffuse[3 * i], float(i + 2) / 16) << i;

    s.SetRenderState(kRsTextureFactor, 0x80FF4000u);
    const UniformValues f = UniformsFor(s, 64, 48);
    EXPECT_FLOAT_EQ(f.textureFactor[0], 1.0f);
    EXPECT_FLOAT_EQ(f.textureFactor[1], 64.0f / 255);
    EXPECT_FLOAT_EQ(f.textureFactor[2], 0.0f);
    EXPECT_FLOAT_EQ(f.textureFactor[3], 128.0f / 255);
}

// Two triangles of the engine's vertices, drawn in a scene on a 64 x 48 target.
DrawRequest EngineDraw() {
    DrawRequest r;
    r.type = D3DPT_TRIANGLELIST;
    r.primitiveCount = 2;
    r.inScene = r.hasTarget = r.hasDepth = true;
    r.width = 64;
    r.height = 48;
    r.hasStream = true;
    r.streamBytes = 6 * kVertexBytes;
    r.stride = kVertexBytes;
    return r;
}

TEST(GlState, DrawsThatDirect3DRefusesOrThatWouldReadPastTheBufferAreInvalid) {
    using R = DrawRequest;
    using S = FixedFunctionState;
    constexpr HResult kInvalid = D3DERR_INVALIDCALL;
    struct Case {
        const char* what;
        void (*change)(R&, S&);
        HResult result;
        std::uint64_t vertices;
    } const cases[] = {
        {"the engine's draw", [](R&, S&) {}, D3D_OK, 6},
        {"outside a scene", [](R& r, S&) { r.inScene = false; }, kInvalid, 0},
        {"no back buffer", [](R& r, S&) { r.hasTarget = false; }, kInvalid, 0},
        {"primitive type 0", [](R& r, S&) { r.type = 0; }, kInvalid, 0},
        {"primitive type 7", [](R& r, S&) { r.type = 7; }, kInvalid, 0},
        {"no primitives: nothing to check or draw",
         [](R& r, S& s) {
             r.primitiveCount = 0;
             r.hasStream = false;
             s.SetVertexFormat(0x004);
         },
         D3D_OK, 0},
        {"pre-transformed vertices", [](R&, S& s) { s.SetVertexFormat(0x004 | D3DFVF_DIFFUSE); }, kInvalid, 0},
        {"no vertex format", [](R&, S& s) { s.SetVertexFormat(0); }, kInvalid, 0},
        {"no stream", [](R& r, S&) { r.hasStream = false; }, kInvalid, 0},
        {"one triangle too many", [](R& r, S&) { r.primitiveCount = 3; }, kInvalid, 0},
        {"start past the end", [](R& r, S&) { r.startVertex = 1; }, kInvalid, 0},
        {"stride shorter than the vertex", [](R& r, S&) { r.stride = 20; }, kInvalid, 0},
        {"stride that walks off the end", [](R& r, S&) { r.stride = 40; }, kInvalid, 0},
        {"a wider stride whose last vertex still fits",
         [](R& r, S&) {
             r.stride = 40;
             r.streamBytes = 5 * 40 + 36;
         },
         D3D_OK, 6},
        {"count that wraps in 32 bits", [](R& r, S&) { r.primitiveCount = 0x55555556u; }, kInvalid, 0},
        {"count past GL's int",
         [](R& r, S&) {
             r.primitiveCount = 0x2AAAAAABu;
             r.streamBytes = ~0ull;
         },
         kInvalid, 0},
        {"stride and count whose product overflows",
         [](R& r, S&) {
             r.primitiveCount = 0x7FFFFFFFu;
             r.stride = 0xFFFFFFFFu;
         },
         kInvalid, 0},
        {"a texture of a device gone",
         [](R& r, S&) {
             r.textured = true;
             r.textureLive = false;
         },
         kInvalid, 0},
    };
    for (const Case& c : cases) {
        S state;
        state.SetVertexFormat(kEngineFvf);
        R request = EngineDraw();
        c.change(request, state);
        DrawPlan plan;
        EXPECT_EQ(PlanDraw(state, request, plan), c.result) << c.what;
        EXPECT_EQ(plan.primitive.vertices, c.vertices) << c.what;
    }
}

TEST(GlState, APlanReadsTheCoordinateSetTheStageNames) {
    struct Case {
        const char* what;
        std::uint32_t fvf, index;
        bool hasTexCoord;
        std::uint32_t at;
    } const cases[] = {
        {"the engine's one set", kEngineFvf, 0, true, 28},
        {"a set the vertex lacks", kEngineFvf, 1, false, 0},
        {"the second of two", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | 0x200, 1, true, 36},
        {"generated from normals", kEngineFvf, D3DTSS_TCI_CAMERASPACENORMAL, true, 28},
        {"no sets at all", D3DFVF_XYZ | D3DFVF_DIFFUSE, 0, false, 0},
    };
    for (const Case& c : cases) {
        FixedFunctionState s;
        s.SetVertexFormat(c.fvf);
        s.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, c.index);
        DrawRequest request = EngineDraw();
        request.streamBytes = 1024;
        request.stride = 64;
        request.textured = request.textureLive = true;
        DrawPlan plan;
        ASSERT_EQ(PlanDraw(s, request, plan), D3D_OK) << c.what;
        EXPECT_EQ(plan.hasTexCoord, c.hasTexCoord) << c.what;
        if (c.hasTexCoord) {
            EXPECT_EQ(plan.texCoordAt, c.at) << c.what;
        }
        EXPECT_TRUE(plan.key.hasTexture) << c.what;
        EXPECT_EQ(plan.primitive.mode, std::uint32_t(GL_TRIANGLES)) << c.what;
    }
}

// The program of a lit draw sums exactly the lights the draw's uniforms carry; an
// unlit one sums none, whatever is enabled.
TEST(GlState, TheProgramOfALitDrawIsMadeForItsNumberOfLights) {
    for (std::uint32_t enabled : {0u, 1u, 3u, kShaderLights + 2}) {
        for (bool lit : {true, false}) {
            FixedFunctionState s;
            s.SetVertexFormat(kEngineFvf);
            s.SetRenderState(D3DRS_LIGHTING, lit ? 1 : 0);
            for (std::uint32_t i = 0; i < enabled; ++i) {
                s.SetLight(i, Directional({0, 0, 1}));
                s.LightEnable(i, true);
            }
            DrawPlan plan;
            ASSERT_EQ(PlanDraw(s, EngineDraw(), plan), D3D_OK);
            EXPECT_EQ(plan.key.lights, lit ? plan.uniforms.lightCount : 0) << enabled << " lit " << lit;
            EXPECT_EQ(plan.uniforms.lightCount, int(std::min(enabled, kShaderLights))) << enabled;
        }
    }
}

}  // namespace
}  // namespace vtl::gl
