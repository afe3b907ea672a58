#include "engine/e3dmath.h"

#include <cmath>
#include <cstring>

namespace vtl {

namespace {

// Components are stored as float; the arithmetic that yields one is done in double
// so that each stored value is rounded exactly once.
float F(double v) { return static_cast<float>(v); }

constexpr double kTiny = 1e-6;

}  // namespace

// Constant-initialised, so they are usable from any other static initialiser.
const D3DMATRIX kIdentityMatrix = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
const D3DMATRIX kZeroMatrix = {};

D3DVECTOR MakeVector(float x, float y, float z) { return D3DVECTOR{x, y, z}; }

D3DVECTOR VecSubtract(const D3DVECTOR& a, const D3DVECTOR& b) {
    return D3DVECTOR{F(double(a.x) - b.x), F(double(a.y) - b.y), F(double(a.z) - b.z)};
}

D3DVECTOR VecScale(const D3DVECTOR& v, float s) {
    return D3DVECTOR{F(double(v.x) * s), F(double(v.y) * s), F(double(v.z) * s)};
}

D3DVECTOR VecDivide(const D3DVECTOR& v, float s) {
    return D3DVECTOR{F(double(v.x) / s), F(double(v.y) / s), F(double(v.z) / s)};
}

float VecLength(const D3DVECTOR& v) { return F(std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z)); }

D3DVECTOR VecNormalize(const D3DVECTOR& v) { return VecDivide(v, VecLength(v)); }

float VecDot(const D3DVECTOR& a, const D3DVECTOR& b) {
    return F(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z);
}

D3DVECTOR VecCross(const D3DVECTOR& a, const D3DVECTOR& b) {
    return D3DVECTOR{F(double(a.y) * b.z - double(a.z) * b.y), F(double(a.z) * b.x - double(a.x) * b.z),
                     F(double(a.x) * b.y - double(a.y) * b.x)};
}

D3DMATRIX MatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r = kZeroMatrix;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                // The product of two floats is exact in double; the sum is rounded on store.
                r.m[i][j] = F(double(r.m[i][j]) + double(a.m[i][k]) * double(b.m[k][j]));
            }
        }
    }
    return r;
}

D3DMATRIX MakeTranslationMatrix(float x, float y, float z) {
    D3DMATRIX m = kIdentityMatrix;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

D3DMATRIX MakeScaleMatrix(float x, float y, float z) {
    D3DMATRIX m = kIdentityMatrix;
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    return m;
}

D3DMATRIX MakeRotationXMatrix(float angle) {
    const float c = F(std::cos(double(angle))), s = F(std::sin(double(angle)));
    D3DMATRIX m = kIdentityMatrix;
    m.m[1][1] = c;
    m.m[1][2] = s;
    m.m[2][1] = -s;
    m.m[2][2] = c;
    return m;
}

D3DMATRIX MakeRotationYMatrix(float angle) {
    const float c = F(std::cos(double(angle))), s = F(std::sin(double(angle)));
    D3DMATRIX m = kIdentityMatrix;
    m.m[0][0] = c;
    m.m[0][2] = -s;
    m.m[2][0] = s;
    m.m[2][2] = c;
    return m;
}

D3DMATRIX MakeRotationZMatrix(float angle) {
    const float c = F(std::cos(double(angle))), s = F(std::sin(double(angle)));
    D3DMATRIX m = kIdentityMatrix;
    m.m[0][0] = c;
    m.m[0][1] = s;
    m.m[1][0] = -s;
    m.m[1][1] = c;
    return m;
}

namespace {

// up minus its component along the unit vector z.
D3DVECTOR Orthogonalise(const D3DVECTOR& up, const D3DVECTOR& z, float along) {
    return VecSubtract(up, VecScale(z, along));
}

}  // namespace

HResult MakeLookAtMatrix(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up) {
    D3DVECTOR z = VecSubtract(at, eye);
    float len = VecLength(z);
    if (len < kTiny) return kResultInvalidArg;
    z = VecDivide(z, len);

    D3DVECTOR y = Orthogonalise(up, z, VecDot(up, z));
    len = VecLength(y);
    if (len < kTiny) {
        y = Orthogonalise(MakeVector(0, 1, 0), z, z.y);
        len = VecLength(y);
        if (len < kTiny) {
            y = Orthogonalise(MakeVector(0, 0, 1), z, z.z);
            len = VecLength(y);
            if (len < kTiny) return kResultInvalidArg;
        }
    }
    y = VecDivide(y, len);
    const D3DVECTOR x = VecCross(y, z);

    D3DMATRIX m = kZeroMatrix;
    m.m[0][0] = x.x;
    m.m[0][1] = y.x;
    m.m[0][2] = z.x;
    m.m[1][0] = x.y;
    m.m[1][1] = y.y;
    m.m[1][2] = z.y;
    m.m[2][0] = x.z;
    m.m[2][1] = y.z;
    m.m[2][2] = z.z;
    m.m[3][0] = -VecDot(eye, x);
    m.m[3][1] = -VecDot(eye, y);
    m.m[3][2] = -VecDot(eye, z);
    m.m[3][3] = 1.0f;
    out = m;
    return kResultOk;
}

HResult MakePerspectiveMatrix(D3DMATRIX& out, float fov, float invAspect, float zNear, float zFar) {
    if (std::fabs(double(zFar) - zNear) < 0.01) return kResultInvalidArg;
    const double half = double(fov) / 2.0;
    if (std::fabs(std::sin(half)) < 0.01) return kResultInvalidArg;
    const double cot = std::cos(half) / std::sin(half);
    const double q = double(zFar) / (double(zFar) - zNear);

    D3DMATRIX m = kZeroMatrix;
    m.m[0][0] = F(invAspect * cot);
    m.m[1][1] = F(cot);
    m.m[2][2] = F(q);
    m.m[2][3] = 1.0f;
    m.m[3][2] = F(-q * zNear);
    out = m;
    return kResultOk;
}

NormalMatrix3 MakeNormalMatrix(const D3DMATRIX& m) {
    const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    NormalMatrix3 out{};
    if (std::fabs(det) < 1e-30) {
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) out.m[r][k] = m.m[r][k];
        return out;
    }
    // (M^-1)^T is the cofactor matrix over the determinant.
    const double cof[3][3] = {{A, B, C},
                              {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                              {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) out.m[r][k] = F(cof[r][k] / det);
    return out;
}

void InitDirectionalLight(D3DLIGHT8& light, const D3DVECTOR& direction, float red, float green, float blue,
                          float range) {
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = D3DCOLORVALUE{red, green, blue, 0.0f};
    light.Direction = VecNormalize(direction);
    light.Range = range;
}

}  // namespace vtl
