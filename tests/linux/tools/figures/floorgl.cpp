// The floor of the Linux saver's frame: a minimal OpenGL 3.3 program that draws the
// saver's geometry (picture quad, skull and glasses, each as a front and a back
// triangle list of the same 36-byte vertices) with the same pictures, the same
// directional light, reflection, filtering, depth and cull states, on the same kind of
// window and context (the hack's own X11 window code), paced by the same frame pacer;
// but straight into the window, with one vertex array per buffer, two programs made
// once and every state set only when it changes. Variants leave parts out, so that
// their differences split a frame's cost.
//   floorgl ASSETDIR TIMINGFPS SECONDS [VARIANT]      (SECONDS 0: until SIGTERM)
// It draws on the root window (the virtual root XScreenSaver names, if any). VARIANT:
//   full        the saver's default frame (glasses and both reflections)
//   plain       no glasses, no reflection
//   clear       clear and present only
//   background  the picture quad only
//   skull       the picture quad and the reflecting skull
//   tinyskull   as full, but skull and glasses shrunk to a point: their vertices cost
//               as much, their pixels nothing
//   backonly    as full, without the front buffers of skull and glasses
//   point       as full, with point instead of linear texture filtering
//   blit        as full, drawn into a framebuffer of its own and copied to the window
//               (what a device whose back buffer is not the window's pays)
#include <epoxy/gl.h>
#include <poll.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/common/saverloop.h"
#include "app/hack/frame_pacing.h"
#include "floor_scene.h"
#include "pack/assetnames.h"
#include "platform/posix/posix_host.h"
#include "platform/x11/x11_gl_window.h"

namespace {

using namespace vtl::floor;

volatile std::sig_atomic_t g_stop = 0;
void Stop(int) { g_stop = 1; }

const char kVertex[] = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec3 uTowardsLight;
uniform vec2 uPixelOffset;
out vec4 vDiffuse;
out vec2 vTexCoord;
void main() {
    vec4 clip = uProjection * (uWorldView * vec4(aPosition, 1.0));
    vec3 n = normalize(uNormalMatrix * aNormal);
    vDiffuse = vec4(clamp(aDiffuse.rgb * 0.75 * max(dot(n, uTowardsLight), 0.0), 0.0, 1.0), aDiffuse.a);
#if REFLECT
    vTexCoord = vec2(0.5 * n.x + 0.5, -0.5 * n.y + 0.5);
#else
    vTexCoord = aTexCoord;
#endif
    clip.xy += uPixelOffset * clip.w;
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
}
)";

const char kFragment[] = R"(#version 330 core
in vec4 vDiffuse;
in vec2 vTexCoord;
uniform sampler2D uSampler;
out vec4 fragColor;
void main() {
#if TEXTURED
    fragColor = vec4((texture(uSampler, vTexCoord) * vDiffuse).rgb, vDiffuse.a);
#else
    fragColor = vDiffuse;
#endif
}
)";

GLuint Compile(GLenum type, const std::string& head, const char* body) {
    const GLuint shader = glCreateShader(type);
    // The version line must come first; the switches follow it.
    const std::string text = std::string(body).insert(std::string(body).find('\n') + 1, head);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "floorgl: shader: %s\n", log);
    }
    return shader;
}

struct Program {
    GLuint name = 0;
    GLint worldView = -1, normal = -1;
};

Program MakeProgram(bool reflect, bool textured, const Matrix& projection, const float towards[3], int width,
                    int height) {
    const std::string head =
        std::string("#define REFLECT ") + (reflect ? "1" : "0") + "\n#define TEXTURED " + (textured ? "1" : "0") + "\n";
    Program p;
    p.name = glCreateProgram();
    const GLuint vs = Compile(GL_VERTEX_SHADER, head, kVertex), fs = Compile(GL_FRAGMENT_SHADER, head, kFragment);
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    glUseProgram(p.name);
    // What never changes is set once.
    glUniformMatrix4fv(glGetUniformLocation(p.name, "uProjection"), 1, GL_FALSE, &projection.m[0][0]);
    glUniform3fv(glGetUniformLocation(p.name, "uTowardsLight"), 1, towards);
    glUniform2f(glGetUniformLocation(p.name, "uPixelOffset"), 1.0f / float(width), -1.0f / float(height));
    glUniform1i(glGetUniformLocation(p.name, "uSampler"), 0);
    p.worldView = glGetUniformLocation(p.name, "uWorldView");
    p.normal = glGetUniformLocation(p.name, "uNormalMatrix");
    return p;
}

GLuint VertexArray(const std::vector<Vertex>& vertices) {
    GLuint array = 0, buffer = 0;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(), GL_STATIC_DRAW);
    const auto at = [](std::size_t bytes) { return reinterpret_cast<const void*>(bytes); };
    for (GLuint i = 0; i < 4; ++i) glEnableVertexAttribArray(i);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), at(0));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), at(12));
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), at(24));
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), at(28));
    return array;
}

struct Mesh {
    GLuint front = 0, back = 0;
    GLsizei vertices = 0;
};

Mesh Upload(const std::vector<Vertex>& front) {
    return Mesh{VertexArray(front), VertexArray(BackFaces(front)), GLsizei(front.size())};
}

GLuint Texture(const std::string& path, GLint filter) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> texels;
    if (!LoadJpeg(path, width, height, texels)) return 0;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    // Rows go up the same way as the saver's: top row first, coordinates as Direct3D's.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return texture;
}

struct Floor {
    std::string variant = "full";
    Mesh quad, skull, glasses;
    GLuint background = 0, environment = 0;
    Program lit, reflect, plainLit;
    Matrix view = SaverView();
    float angle = -90.0f;
    GLenum cull = 0;
    GLuint program = 0;
    GLuint offscreen = 0;  // the blit variant's framebuffer
    int width = 0, height = 0;

    void Use(const Program& p, const Matrix& world) {
        if (program != p.name) glUseProgram(p.name);
        program = p.name;
        const Matrix worldView = Multiply(world, view);
        float normal[9];
        NormalMatrix(worldView, normal);
        glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
        glUniformMatrix3fv(p.normal, 1, GL_FALSE, normal);
    }
    // As the device maps them: GL's front faces stay counter-clockwise, and Direct3D's
    // counter-clockwise culling (the front buffers) culls them, its clockwise culling
    // (the back buffers) the others.
    void Cull(GLenum face) {
        if (cull != face) glCullFace(face);
        cull = face;
    }
    void Draw(const Mesh& mesh, bool front = true) {
        if (front) {
            Cull(GL_FRONT);
            glBindVertexArray(mesh.front);
            glDrawArrays(GL_TRIANGLES, 0, mesh.vertices);
        }
        Cull(GL_BACK);
        glBindVertexArray(mesh.back);
        glDrawArrays(GL_TRIANGLES, 0, mesh.vertices);
    }

    void Frame() {
        angle -= 0.9f;
        const bool all = variant == "full" || variant == "tinyskull" || variant == "backonly" || variant == "point" ||
                         variant == "blit";
        const bool plain = variant == "plain";
        if (offscreen) glBindFramebuffer(GL_FRAMEBUFFER, offscreen);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (variant != "clear") {
            glBindTexture(GL_TEXTURE_2D, background);
            Use(lit, Translation(0, 0, -1.24f));
            Draw(quad);
        }
        const Matrix dot = variant == "tinyskull" ? Scale(1e-4f, 1e-4f, 1e-4f) : Identity();
        if (all || plain || variant == "skull") {
            const Matrix world = Multiply(dot, Multiply(RotationZ(Radians(angle)), RotationX(Radians(-80))));
            if (!plain) glBindTexture(GL_TEXTURE_2D, environment);
            Use(plain ? plainLit : reflect, world);
            Draw(skull, variant != "backonly");
        }
        if (all) {
            const Matrix world =
                Multiply(Multiply(dot, Multiply(Scale(0.37f, 0.37f, 0.4f), Translation(0, -0.034f, 0.25f))),
                         Multiply(RotationZ(Radians(double(angle) + 90)), RotationX(Radians(-80))));
            Use(reflect, world);
            Draw(glasses, variant != "backonly");
        }
        if (offscreen) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, offscreen);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
    }
};

GLuint MakeOffscreen(int width, int height) {
    GLuint fbo = 0, colour = 0, depth = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return fbo;
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double PeakMegabytes() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
    std::fclose(status);
    return double(kb) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: floorgl ASSETDIR TIMINGFPS SECONDS [VARIANT]\n", stderr);
        return 2;
    }
    const std::string assets = argv[1];
    const int timingFps = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    Floor floor;
    if (argc > 4) floor.variant = argv[4];
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);

    vtl::x11::WindowRequest request;
    request.target = vtl::x11::WindowTarget::Root;
    if (const char* named = std::getenv("XSCREENSAVER_WINDOW"))
        request.screensaverWindow = std::strtoull(named, nullptr, 0);
    vtl::x11::X11GlWindow window(request);
    window.WindowSize(floor.width, floor.height);
    const int width = floor.width, height = floor.height;

    std::vector<Vertex> skull, glasses;
    if (!LoadMesh(assets + "/" + vtl::kSkullMeshFile, 0xFFFFFFu, skull) ||
        !LoadMesh(assets + "/" + vtl::kGlassesMeshFile, 0x404080u, glasses)) {
        std::fputs("floorgl: meshes not found\n", stderr);
        return 1;
    }
    const std::vector<Vertex> quad = {
        {-2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFFu, 1, 0},  {2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFFu, 0, 0},
        {-2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFFu, 1, 1}, {-2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFFu, 1, 1},
        {2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFFu, 0, 0},   {2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFFu, 0, 1},
    };
    floor.quad = Upload(quad);
    floor.skull = Upload(skull);
    floor.glasses = Upload(glasses);
    const GLint filter = floor.variant == "point" ? GL_NEAREST : GL_LINEAR;
    floor.background = Texture(assets + "/" + vtl::kBackgroundPictureFile, filter);
    floor.environment = Texture(assets + "/" + vtl::kEnvironmentMapFile, filter);
    if (!floor.background || !floor.environment) {
        std::fputs("floorgl: pictures not loaded\n", stderr);
        return 1;
    }
    // The light shines along +z in the world; the camera turns that round.
    const float towards[3] = {0, 0, -1};
    const Matrix projection = SaverProjection(float(double(height) / width));
    floor.lit = MakeProgram(false, true, projection, towards, width, height);
    floor.reflect = MakeProgram(true, true, projection, towards, width, height);
    floor.plainLit = MakeProgram(false, false, projection, towards, width, height);
    if (floor.variant == "blit") floor.offscreen = MakeOffscreen(width, height);
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glClearColor(0, 0, 0, 0);
    glActiveTexture(GL_TEXTURE0);

    vtl::posix::MonotonicClock clock;
    vtl::FramePacer pacer(vtl::FrameTimerDelayMs(timingFps), clock.TickCount());
    const double cpuStart = CpuMs();
    const std::uint32_t start = clock.TickCount();
    long frames = 0;
    while (!g_stop && (seconds <= 0 || clock.TickCount() - start < std::uint32_t(seconds) * 1000u)) {
        pollfd connection{window.ConnectionFd(), POLLIN, 0};
        ::poll(&connection, 1, int(pacer.WaitMs(clock.TickCount())));
        if (window.TakeEvents().closed) break;
        if (!pacer.TakeFrame(clock.TickCount())) continue;
        floor.Frame();
        window.SwapBuffers();
        ++frames;
    }
    const double wall = double(clock.TickCount() - start) / 1000.0, cpu = CpuMs() - cpuStart;
    std::printf(
        "variant %s\ntiming-fps %d\nframes-per-second %.1f\ncpu-ms-per-second %.0f\ncpu-ms-per-frame %.2f\n"
        "peak-mb %.1f\n",
        floor.variant.c_str(), timingFps, wall > 0 ? double(frames) / wall : 0.0, wall > 0 ? cpu / wall : 0.0,
        frames > 0 ? cpu / double(frames) : 0.0, PeakMegabytes());
    return 0;
}
