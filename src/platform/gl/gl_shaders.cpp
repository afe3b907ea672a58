// The shader pair behind the OpenGL device's fixed-function emulation: its GLSL, compiled
// once per ShaderKey with the key's switches as constants, and the uniforms left over.
// Leaves out what the engine never draws: point, spot and specular lighting, fog,
// more than one texture stage.
#include "platform/gl/gl_shaders.h"

#include <cstdio>
#include <string>

namespace vtl::gl {

namespace {

// Matrices arrive as Direct3D lays them out (row vectors), so `M * v` here is the
// Direct3D product v * M. Lighting is Direct3D's for directional lights with the
// vertex colour as diffuse material and neither ambient nor specular terms: the sum
// over lights of colour * light * max(N.L, 0), in camera space, alpha from the vertex.
const char kVertexShader[] = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec2 aTexCoord;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec2 uPixelOffset;
const bool uLighting = KEY_LIGHTING != 0;
const bool uNormalize = KEY_NORMALIZE != 0;
uniform vec3 uLightDirection[SHADER_LIGHTS];
uniform vec3 uLightDiffuse[SHADER_LIGHTS];
const bool uTexGen = KEY_TEXGEN != 0;
const bool uTexTransform = KEY_TEXTRANSFORM != 0;
uniform mat4 uTexMatrix;

out vec4 vDiffuse;
out vec2 vTexCoord;

void main() {
    vec4 clip = uProjection * (uWorldView * vec4(aPosition, 1.0));
    vec3 n = uNormalMatrix * aNormal;
    if (uNormalize) {
        float len = length(n);
        if (len > 0.0) n /= len;
    }
    if (uLighting) {
        vec3 lit = vec3(0.0);
        for (int i = 0; i < KEY_LIGHTS; ++i)
            lit += aDiffuse.rgb * uLightDiffuse[i] * max(dot(n, uLightDirection[i]), 0.0);
        vDiffuse = vec4(clamp(lit, 0.0, 1.0), aDiffuse.a);
    } else {
        vDiffuse = aDiffuse;
    }
    // Two given coordinates enter the texture matrix as (u, v, 0, 1), a generated
    // normal as (nx, ny, nz, 1); the first two results are used.
    vec4 coords = uTexGen ? vec4(n, 1.0) : vec4(aTexCoord, 0.0, 1.0);
    vTexCoord = uTexTransform ? (uTexMatrix * coords).xy : coords.xy;
    // Half a pixel right and down: Direct3D samples pixels at integer positions.
    clip.xy += uPixelOffset * clip.w;
    // Direct3D's depth range 0..w onto GL's -w..w.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
}
)";

// One texture stage. Arguments: 0 diffuse, 1 current (at the first stage, the diffuse
// colour), 2 texture, 3 texture factor, 4 specular (none here); 0x10 complements,
// 0x20 replicates alpha. A stage without a texture reads it as opaque white.
const char kFragmentShader[] = R"(
in vec4 vDiffuse;
in vec2 vTexCoord;

const int uColorOp = KEY_COLOR_OP;
const int uColorArg1 = KEY_COLOR_ARG1;
const int uColorArg2 = KEY_COLOR_ARG2;
const int uAlphaOp = KEY_ALPHA_OP;
const int uAlphaArg1 = KEY_ALPHA_ARG1;
const int uAlphaArg2 = KEY_ALPHA_ARG2;
uniform vec4 uTextureFactor;
const bool uHasTexture = KEY_HAS_TEXTURE != 0;
uniform sampler2D uSampler;

out vec4 fragColor;

vec4 Arg(int arg, vec4 diffuse, vec4 tex) {
    int which = arg & 15;
    vec4 v = diffuse;
    if (which == 2) v = tex;
    else if (which == 3) v = uTextureFactor;
    else if (which == 4) v = vec4(0.0);
    if ((arg & 16) != 0) v = vec4(1.0) - v;
    if ((arg & 32) != 0) v = vec4(v.a);
    return v;
}

vec4 Op(int op, vec4 a, vec4 b) {
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 5) return clamp(2.0 * a * b, 0.0, 1.0);
    if (op == 6) return clamp(4.0 * a * b, 0.0, 1.0);
    if (op == 7) return clamp(a + b, 0.0, 1.0);
    if (op == 8) return clamp(a + b - 0.5, 0.0, 1.0);
    if (op == 9) return clamp(2.0 * (a + b - 0.5), 0.0, 1.0);
    if (op == 10) return clamp(a - b, 0.0, 1.0);
    if (op == 11) return clamp(a + b - a * b, 0.0, 1.0);
    return a * b;
}

void main() {
    vec4 tex = uHasTexture ? texture(uSampler, vTexCoord) : vec4(1.0);
    if (uColorOp == 1) {
        fragColor = vDiffuse;
        return;
    }
    vec3 colour = Op(uColorOp, Arg(uColorArg1, vDiffuse, tex), Arg(uColorArg2, vDiffuse, tex)).rgb;
    float alpha = uAlphaOp == 1 ? vDiffuse.a
                                : Op(uAlphaOp, Arg(uAlphaArg1, vDiffuse, tex), Arg(uAlphaArg2, vDiffuse, tex)).a;
    fragColor = vec4(colour, alpha);
}
)";

std::string Defines(const ShaderKey& key) {
    std::string text = "#version 330 core\n";
    const auto define = [&text](const char* name, int value) {
        text += std::string("#define ") + name + " " + std::to_string(value) + "\n";
    };
    define("SHADER_LIGHTS", int(kShaderLights));
    define("KEY_LIGHTING", key.lighting);
    define("KEY_NORMALIZE", key.normalize);
    define("KEY_LIGHTS", key.lights);
    define("KEY_TEXGEN", key.texGen);
    define("KEY_TEXTRANSFORM", key.texTransform);
    define("KEY_HAS_TEXTURE", key.hasTexture);
    define("KEY_COLOR_OP", key.colorOp);
    define("KEY_COLOR_ARG1", key.colorArg1);
    define("KEY_COLOR_ARG2", key.colorArg2);
    define("KEY_ALPHA_OP", key.alphaOp);
    define("KEY_ALPHA_ARG1", key.alphaArg1);
    define("KEY_ALPHA_ARG2", key.alphaArg2);
    return text;
}

GLuint Compile(GLenum type, const std::string& defines, const char* body) {
    const GLuint shader = glCreateShader(type);
    const char* parts[] = {defines.c_str(), body};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL device: shader does not compile: %s\n", log);
    glDeleteShader(shader);
    return 0;
}

}  // namespace

bool BuildProgram(Program& program, const ShaderKey& key) {
    program = Program{};
    const std::string defines = Defines(key);
    const GLuint vertex = Compile(GL_VERTEX_SHADER, defines, kVertexShader);
    const GLuint fragment = vertex ? Compile(GL_FRAGMENT_SHADER, defines, kFragmentShader) : 0;
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        return false;
    }
    const GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glLinkProgram(name);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(name, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL device: shaders do not link: %s\n", log);
        glDeleteProgram(name);
        return false;
    }
    program.name = name;
    Uniforms& u = program.uniforms;
    const auto at = [name](const char* uniform) { return glGetUniformLocation(name, uniform); };
    u.worldView = at("uWorldView");
    u.projection = at("uProjection");
    u.normalMatrix = at("uNormalMatrix");
    u.pixelOffset = at("uPixelOffset");
    u.lightDirection = at("uLightDirection");
    u.lightDiffuse = at("uLightDiffuse");
    u.texMatrix = at("uTexMatrix");
    u.textureFactor = at("uTextureFactor");
    u.sampler = at("uSampler");
    return true;
}

void DeleteProgram(Program& program) {
    if (program.name) glDeleteProgram(program.name);
    program = Program{};
}

}  // namespace vtl::gl
