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

#include "platform/gl/state/shader_key.h"

namespace vtl::gl {

inline constexpr GLuint kAttribPosition = 0;
inline constexpr GLuint kAttribNormal = 1;
inline constexpr GLuint kAttribDiffuse = 2;
inline constexpr GLuint kAttribTexCoord = 3;
// The uniforms left once the key's switches and stage operations are compiled in.
struct Uniforms {
    GLint worldView = -1, projection = -1, normalMatrix = -1, pixelOffset = -1;
    GLint lightDirection = -1, lightDiffuse = -1;
    GLint texMatrix = -1, textureFactor = -1, sampler = -1;
};

struct Program {
    GLuint name = 0;
    Uniforms uniforms;
};

// Compiles and links on the current context; false (with the compiler's log on
// stderr) when it cannot.
bool BuildProgram(Program& program, const ShaderKey& key);
void DeleteProgram(Program& program);

}  // namespace vtl::gl
