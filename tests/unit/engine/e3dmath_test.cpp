#include "engine/e3dmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace vtl {
namespace {

constexpr float kTol = 1e-5f;
constexpr float kPi = 3.14159265358979f;

D3DVECTOR Transform(const D3DVECTOR& v, const D3DMATRIX& m) {
    D3DVECTOR r{};
    r.x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
    r.y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
    r.z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
    return r;
}

void ExpectVec(const D3DVECTOR& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, kTol);
    EXPECT_NEAR(v.y, y, kTol);
    EXPECT_NEAR(v.z, z, kTol);
}

void ExpectMatrix(const D3DMATRIX& m, const float (&want)[16]) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i / 4][i % 4], want[i], kTol) << "element " << i;
}

D3DMATRIX Sentinel() {
    D3DMATRIX m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = 42.0f + float(i);
    return m;
}

bool SameBits(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(VectorOps, ComponentwiseAndProducts) {
    const D3DVECTOR a = MakeVector(1, 2, 3), b = MakeVector(4, -5, 6);
    ExpectVec(VecSubtract(a, b), -3, 7, -3);
    ExpectVec(VecScale(a, 2), 2, 4, 6);
    ExpectVec(VecDivide(a, 4), 0.25f, 0.5f, 0.75f);
    EXPECT_NEAR(VecDot(a, b), 4 - 10 + 18, kTol);
    ExpectVec(VecCross(a, b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    EXPECT_NEAR(VecLength(MakeVector(2, 3, 6)), 7, kTol);
    ExpectVec(VecNormalize(MakeVector(0, 0, -2)), 0, 0, -1);
    // Left-handed basis: x cross y is z.
    ExpectVec(VecCross(MakeVector(1, 0, 0), MakeVector(0, 1, 0)), 0, 0, 1);
}

TEST(MatrixBuilders, RotationsTurnTheRightWay) {
    const D3DMATRIX rx = MakeRotationXMatrix(kPi / 2);
    ExpectVec(Transform(MakeVector(0, 1, 0), rx), 0, 0, 1);
    ExpectVec(Transform(MakeVector(0, 0, 1), rx), 0, -1, 0);
    ExpectVec(Transform(MakeVector(0, 0, 1), MakeRotationYMatrix(kPi / 2)), 1, 0, 0);
    ExpectVec(Transform(MakeVector(1, 0, 0), MakeRotationZMatrix(kPi / 2)), 0, 1, 0);
}

TEST(MatrixBuilders, TranslationScaleAndMultiplyOrder) {
    ExpectVec(Transform(MakeVector(1, 1, 1), MakeTranslationMatrix(1, 2, 3)), 2, 3, 4);
    ExpectVec(Transform(MakeVector(1, 1, 1), MakeScaleMatrix(2, 3, 4)), 2, 3, 4);
    // Translation first, then the rotation: the translation row is itself rotated.
    const D3DMATRIX m = MatrixMultiply(MakeTranslationMatrix(1, 2, 3), MakeRotationXMatrix(kPi / 2));
    ExpectVec(D3DVECTOR{m.m[3][0], m.m[3][1], m.m[3][2]}, 1, -3, 2);
    ExpectVec(Transform(MakeVector(0, 0, 0), m), 1, -3, 2);
    // The identity is neutral on both sides.
    const D3DMATRIX r = MakeRotationZMatrix(0.3f);
    EXPECT_TRUE(SameBits(MatrixMultiply(kIdentityMatrix, r), r));
    EXPECT_TRUE(SameBits(MatrixMultiply(r, kIdentityMatrix), r));
}

TEST(MatrixBuilders, MultiplyRoundsEveryPartialSum) {
    // 1 + 2^-24 is not representable: rounding after each addition loses both small
    // terms, while a sum kept at higher precision would keep them (1 + 2^-23).
    D3DMATRIX a = kZeroMatrix, b = kZeroMatrix;
    const float tiny = std::ldexp(1.0f, -24);
    a.m[0][0] = 1.0f;
    a.m[0][1] = tiny;
    a.m[0][2] = tiny;
    b.m[0][0] = 1.0f;
    b.m[1][0] = 1.0f;
    b.m[2][0] = 1.0f;
    EXPECT_EQ(MatrixMultiply(a, b).m[0][0], 1.0f);
}

// A normal stays perpendicular to every tangent of its surface under any invertible
// matrix, and a singular one gives its own upper 3 x 3.
TEST(MatrixBuilders, NormalMatrixKeepsNormalsPerpendicular) {
    const D3DMATRIX shears[] = {
        MatrixMultiply(MakeScaleMatrix(3, 0.5f, 2), MakeRotationZMatrix(0.7f)),
        MatrixMultiply(MakeRotationXMatrix(-1.2f), MakeScaleMatrix(-1, 4, 0.25f)),
    };
    for (const auto& m : shears) {
        const NormalMatrix3 n = MakeNormalMatrix(m);
        const D3DVECTOR normal = MakeVector(0, 0, 1), tangents[] = {MakeVector(1, 0, 0), MakeVector(0, 1, 0)};
        const D3DVECTOR turned{normal.x * n.m[0][0] + normal.y * n.m[1][0] + normal.z * n.m[2][0],
                               normal.x * n.m[0][1] + normal.y * n.m[1][1] + normal.z * n.m[2][1],
                               normal.x * n.m[0][2] + normal.y * n.m[1][2] + normal.z * n.m[2][2]};
        for (const auto& t : tangents) {
            D3DMATRIX linear = m;
            linear.m[3][0] = linear.m[3][1] = linear.m[3][2] = 0;
            EXPECT_NEAR(VecDot(turned, Transform(t, linear)), 0.0f, kTol);
        }
    }
    const NormalMatrix3 flat = MakeNormalMatrix(MakeScaleMatrix(1, 0, 1));
    EXPECT_EQ(flat.m[0][0], 1.0f);
    EXPECT_EQ(flat.m[1][1], 0.0f);
    EXPECT_EQ(flat.m[2][2], 1.0f);
}

TEST(LookAt, SceneCameraPutsWorldXOnTheLeft) {
    D3DMATRIX m = Sentinel();
    ASSERT_EQ(MakeLookAtMatrix(m, MakeVector(0, 0, 1.44f), MakeVector(0, 0, 0), MakeVector(0, 1, 0)), kResultOk);
    const float want[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 1.44f, 1};
    ExpectMatrix(m, want);
}

TEST(LookAt, UpAlongTheLineOfSightFallsBackToZ) {
    // Looking along +y: the given up and the first fallback (+y) are both parallel.
    D3DMATRIX m = Sentinel();
    ASSERT_EQ(MakeLookAtMatrix(m, MakeVector(0, 0, 0), MakeVector(0, 5, 0), MakeVector(0, 1, 0)), kResultOk);
    const float want[16] = {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    ExpectMatrix(m, want);
    // Looking along +z with up +z: the first fallback (+y) is enough.
    ASSERT_EQ(MakeLookAtMatrix(m, MakeVector(0, 0, 0), MakeVector(0, 0, 3), MakeVector(0, 0, 1)), kResultOk);
    const float wantZ[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(m, wantZ);
}

TEST(LookAt, EyeOnTargetFailsAndLeavesOutput) {
    D3DMATRIX m = Sentinel();
    EXPECT_EQ(MakeLookAtMatrix(m, MakeVector(1, 2, 3), MakeVector(1, 2, 3), MakeVector(0, 1, 0)), kResultInvalidArg);
    EXPECT_TRUE(SameBits(m, Sentinel()));
}

TEST(Perspective, BuildsTheProjection) {
    D3DMATRIX m = Sentinel();
    ASSERT_EQ(MakePerspectiveMatrix(m, 1.0f, 0.75f, 0.1f, 100.0f), kResultOk);
    const float want[16] = {1.3728658f, 0, 0, 0, 0, 1.8304877f, 0, 0, 0, 0, 1.001001f, 1, 0, 0, -0.1001001f, 0};
    ExpectMatrix(m, want);
}

TEST(Perspective, DegenerateArgumentsFailAndLeaveOutput) {
    struct Case {
        float fov, zn, zf;
    };
    const Case cases[] = {{1.0f, 1.0f, 1.005f}, {0.0f, 0.1f, 100.0f}, {2 * kPi, 0.1f, 100.0f}, {1.0f, 5.0f, 5.0f}};
    for (const Case& c : cases) {
        D3DMATRIX m = Sentinel();
        EXPECT_EQ(MakePerspectiveMatrix(m, c.fov, 0.75f, c.zn, c.zf), kResultInvalidArg) << c.fov << " " << c.zf;
        EXPECT_TRUE(SameBits(m, Sentinel()));
    }
}

TEST(DirectionalLight, ClearsEverythingButDiffuseDirectionAndRange) {
    D3DLIGHT8 light;
    std::memset(&light, 0x7f, sizeof light);
    InitDirectionalLight(light, MakeVector(0, 0, -2), 0.75f, 0.5f, 0.25f, 7.0f);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse.r, 0.75f);
    EXPECT_EQ(light.Diffuse.g, 0.5f);
    EXPECT_EQ(light.Diffuse.b, 0.25f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    ExpectVec(light.Direction, 0, 0, -1);
    EXPECT_EQ(light.Range, 7.0f);
    D3DLIGHT8 rest = light;
    rest.Type = D3DLIGHTTYPE(0);
    rest.Diffuse = {};
    rest.Direction = {};
    rest.Range = 0;
    const D3DLIGHT8 zero{};
    EXPECT_EQ(std::memcmp(&rest, &zero, sizeof rest), 0);
}

}  // namespace
}  // namespace vtl
