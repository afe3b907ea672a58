#pragma once
// Vector, matrix and light builders on the Direct3D 8 value types. Stateless; every
// stored component is a 32-bit float, intermediate expressions are evaluated in
// double and rounded once when stored, as the renderer's callers expect.
// Conventions: row vectors on the left (v' = v x M), left-handed, radians.
#include <cstdint>

#include "platform/d3d8types.h"

namespace vtl {

// COM-style result of the builders that can fail. The names avoid the platform's
// S_OK / E_INVALIDARG macros so the header mixes with <windows.h> in any order.
using HResult = std::int32_t;
constexpr HResult kResultOk = 0;
constexpr HResult kResultInvalidArg = static_cast<HResult>(0x80070057u);

extern const D3DMATRIX kIdentityMatrix;
extern const D3DMATRIX kZeroMatrix;

D3DVECTOR MakeVector(float x, float y, float z);
D3DVECTOR VecSubtract(const D3DVECTOR& a, const D3DVECTOR& b);
D3DVECTOR VecScale(const D3DVECTOR& v, float s);
// s must not be 0.
D3DVECTOR VecDivide(const D3DVECTOR& v, float s);
float VecLength(const D3DVECTOR& v);
// v must not be the zero vector.
D3DVECTOR VecNormalize(const D3DVECTOR& v);
float VecDot(const D3DVECTOR& a, const D3DVECTOR& b);
D3DVECTOR VecCross(const D3DVECTOR& a, const D3DVECTOR& b);

// a x b: a acts first. Each partial sum is rounded to 32 bits.
D3DMATRIX MatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX MakeTranslationMatrix(float x, float y, float z);

// How normals transform under a row-vector matrix: the inverse transpose of its upper
// 3 x 3 (n' = n x N), row-major like the matrix. A singular matrix gives its own
// upper 3 x 3, so a flattened model still lights rather than turning black.
struct NormalMatrix3 {
    float m[3][3];
};
NormalMatrix3 MakeNormalMatrix(const D3DMATRIX& m);
D3DMATRIX MakeScaleMatrix(float x, float y, float z);
D3DMATRIX MakeRotationXMatrix(float angle);
D3DMATRIX MakeRotationYMatrix(float angle);
D3DMATRIX MakeRotationZMatrix(float angle);

// Left-handed view matrix. An up vector parallel to the line of sight falls back to
// +y, then to +z. On failure (eye == at, or no usable up) `out` is left untouched.
HResult MakeLookAtMatrix(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up);
// fov: vertical field of view in radians; invAspect: height / width. Depth maps to
// 0 at the near plane and 1 at the far plane. On failure `out` is left untouched.
HResult MakePerspectiveMatrix(D3DMATRIX& out, float fov, float invAspect, float zNear, float zFar);

// Clears the whole light, then makes it directional with the given diffuse colour
// (alpha 0), the normalised direction and the range.
void InitDirectionalLight(D3DLIGHT8& light, const D3DVECTOR& direction, float red, float green, float blue,
                          float range);

}  // namespace vtl
