// Proof, at compile time, that the OpenGL numbers the GL-free draw decisions name
// (state/gl_values.h) are the ones the GL header the device draws with defines.
// Holds no code.
#include <epoxy/gl.h>

#include "platform/gl/state/gl_values.h"

namespace vtl::gl::glv {

static_assert(kZero == GL_ZERO && kOne == GL_ONE);
static_assert(kSrcColor == GL_SRC_COLOR && kOneMinusSrcColor == GL_ONE_MINUS_SRC_COLOR);
static_assert(kSrcAlpha == GL_SRC_ALPHA && kOneMinusSrcAlpha == GL_ONE_MINUS_SRC_ALPHA);
static_assert(kDstAlpha == GL_DST_ALPHA && kOneMinusDstAlpha == GL_ONE_MINUS_DST_ALPHA);
static_assert(kDstColor == GL_DST_COLOR && kOneMinusDstColor == GL_ONE_MINUS_DST_COLOR);
static_assert(kSrcAlphaSaturate == GL_SRC_ALPHA_SATURATE);

static_assert(kNever == GL_NEVER && kLess == GL_LESS && kEqual == GL_EQUAL && kLequal == GL_LEQUAL);
static_assert(kGreater == GL_GREATER && kNotequal == GL_NOTEQUAL && kGequal == GL_GEQUAL && kAlways == GL_ALWAYS);

static_assert(kRepeat == GL_REPEAT && kMirroredRepeat == GL_MIRRORED_REPEAT);
static_assert(kClampToEdge == GL_CLAMP_TO_EDGE && kClampToBorder == GL_CLAMP_TO_BORDER);
static_assert(kNearest == GL_NEAREST && kLinear == GL_LINEAR);
static_assert(kNearestMipmapNearest == GL_NEAREST_MIPMAP_NEAREST && kLinearMipmapNearest == GL_LINEAR_MIPMAP_NEAREST);
static_assert(kNearestMipmapLinear == GL_NEAREST_MIPMAP_LINEAR && kLinearMipmapLinear == GL_LINEAR_MIPMAP_LINEAR);

static_assert(kPoints == GL_POINTS && kLines == GL_LINES && kLineStrip == GL_LINE_STRIP);
static_assert(kTriangles == GL_TRIANGLES && kTriangleStrip == GL_TRIANGLE_STRIP && kTriangleFan == GL_TRIANGLE_FAN);

static_assert(kFront == GL_FRONT && kBack == GL_BACK && kCw == GL_CW && kCcw == GL_CCW);

}  // namespace vtl::gl::glv
