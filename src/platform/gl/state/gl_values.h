#pragma once
// OpenGL's own numbers for the enums the draw decisions name, written out (they are
// fixed by the OpenGL registry) so that the decisions need no GL header and tests can
// check them without a context. The device checks every one against the header it
// draws with (gl_enum_check.cpp), so a typo here cannot reach a draw.
#include <cstdint>

namespace vtl::gl::glv {

// Blend factors.
inline constexpr std::uint32_t kZero = 0;
inline constexpr std::uint32_t kOne = 1;
inline constexpr std::uint32_t kSrcColor = 0x0300;
inline constexpr std::uint32_t kOneMinusSrcColor = 0x0301;
inline constexpr std::uint32_t kSrcAlpha = 0x0302;
inline constexpr std::uint32_t kOneMinusSrcAlpha = 0x0303;
inline constexpr std::uint32_t kDstAlpha = 0x0304;
inline constexpr std::uint32_t kOneMinusDstAlpha = 0x0305;
inline constexpr std::uint32_t kDstColor = 0x0306;
inline constexpr std::uint32_t kOneMinusDstColor = 0x0307;
inline constexpr std::uint32_t kSrcAlphaSaturate = 0x0308;

// Depth compare functions.
inline constexpr std::uint32_t kNever = 0x0200;
inline constexpr std::uint32_t kLess = 0x0201;
inline constexpr std::uint32_t kEqual = 0x0202;
inline constexpr std::uint32_t kLequal = 0x0203;
inline constexpr std::uint32_t kGreater = 0x0204;
inline constexpr std::uint32_t kNotequal = 0x0205;
inline constexpr std::uint32_t kGequal = 0x0206;
inline constexpr std::uint32_t kAlways = 0x0207;

// Texture wrap modes and filters.
inline constexpr std::uint32_t kRepeat = 0x2901;
inline constexpr std::uint32_t kMirroredRepeat = 0x8370;
inline constexpr std::uint32_t kClampToEdge = 0x812F;
inline constexpr std::uint32_t kClampToBorder = 0x812D;
inline constexpr std::uint32_t kNearest = 0x2600;
inline constexpr std::uint32_t kLinear = 0x2601;
inline constexpr std::uint32_t kNearestMipmapNearest = 0x2700;
inline constexpr std::uint32_t kLinearMipmapNearest = 0x2701;
inline constexpr std::uint32_t kNearestMipmapLinear = 0x2702;
inline constexpr std::uint32_t kLinearMipmapLinear = 0x2703;

// Primitive modes.
inline constexpr std::uint32_t kPoints = 0x0000;
inline constexpr std::uint32_t kLines = 0x0001;
inline constexpr std::uint32_t kLineStrip = 0x0003;
inline constexpr std::uint32_t kTriangles = 0x0004;
inline constexpr std::uint32_t kTriangleStrip = 0x0005;
inline constexpr std::uint32_t kTriangleFan = 0x0006;

// Face culling.
inline constexpr std::uint32_t kFront = 0x0404;
inline constexpr std::uint32_t kBack = 0x0405;
inline constexpr std::uint32_t kCw = 0x0900;
inline constexpr std::uint32_t kCcw = 0x0901;

}  // namespace vtl::gl::glv
