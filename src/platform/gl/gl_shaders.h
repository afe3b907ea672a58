#pragma once
// The shader pair that draws what Direct3D 8's fixed-function pipeline would for the
// states the device keeps: transforms, directional lights with the vertex colour as
// material, generated or passed-through texture coordinates with the texture matrix,
// and one texture stage. One program is made for each combination of switches and
// stage operations a draw uses (a handful per scene): with them fixed when it compiles,
// a software renderer, which runs every branch of a shader for every pixel, runs only
// the arithmetic the draw needs.
#include <epoxy/gl.h>

#include <cstdint>

namespace vtl::gl {

inline constexpr GLuint kAttribPosition = 0;
inline constexpr GLuint kAttribNormal = 1;
inline constexpr GLuint kAttribDiffuse = 2;
inline constexpr GLuint kAttribTexCoord = 3;
// Directional lights drawn at once; more enabled lights than this are left out.
inline constexpr unsigned kShaderLights = 8;

struct Uniforms {
    GLint worldView = -1, projection = -1, normalMatrix = -1, pixelOffset = -1;
    GLint lighting = -1, normalize = -1, lightCount = -1, lightDirection = -1, lightDiffuse = -1;
    GLint texGen = -1, texTransform = -1, texMatrix = -1;
    GLint colorOp = -1, colorArg1 = -1, colorArg2 = -1, alphaOp = -1, alphaArg1 = -1, alphaArg2 = -1;
    GLint textureFactor = -1, hasTexture = -1, sampler = -1;
};

struct Program {
    GLuint name = 0;
    Uniforms uniforms;
};

// What a program is compiled for.
struct ShaderKey {
    bool lighting = false, normalize = false, texGen = false, texTransform = false, hasTexture = false;
    std::uint8_t colorOp = 0, colorArg1 = 0, colorArg2 = 0, alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    std::uint64_t Packed() const;
};

// Compiles and links on the current context; false (with the compiler's log on
// stderr) when it cannot.
bool BuildProgram(Program& program, const ShaderKey& key);
void DeleteProgram(Program& program);

}  // namespace vtl::gl
