#include "pixel_harness.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "engine/voxamesh.h"

namespace vtl::gltest {

namespace {

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name))
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

struct Context {
    bool ok = false;
    std::string why;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

Context MakeContext() {
    Context c;
    // The software renderer gives the same picture on every machine, GPU or none.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(client, "EGL_EXT_platform_base") || !HasExtension(client, "EGL_MESA_platform_surfaceless")) {
        c.why = "EGL lacks EGL_EXT_platform_base or EGL_MESA_platform_surfaceless (client extensions: " +
                std::string(client ? client : "none") + ")";
        return c;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        c.why = "no eglGetPlatformDisplayEXT";
        return c;
    }
    c.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (c.display == EGL_NO_DISPLAY || !eglInitialize(c.display, &major, &minor)) {
        c.why = "the surfaceless EGL display does not initialise (error 0x" + std::to_string(eglGetError()) + ")";
        return c;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        c.why = "EGL cannot bind desktop OpenGL";
        return c;
    }
    const char* extensions = eglQueryString(c.display, EGL_EXTENSIONS);
    EGLConfig config = nullptr;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(c.display, configAttributes, &config, 1, &count) || count < 1) {
        if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
            c.why = "no EGL configuration for desktop OpenGL";
            return c;
        }
        config = nullptr;  // EGL_NO_CONFIG_KHR
    }
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    c.context = eglCreateContext(c.display, config, EGL_NO_CONTEXT, contextAttributes);
    if (c.context == EGL_NO_CONTEXT) {
        c.why = "no OpenGL 3.3 core context (EGL error 0x" + std::to_string(eglGetError()) + ")";
        return c;
    }
    if (!eglMakeCurrent(c.display, EGL_NO_SURFACE, EGL_NO_SURFACE, c.context)) {
        c.why = "the context cannot be made current without a surface";
        return c;
    }
    c.ok = true;
    return c;
}

}  // namespace

bool GlUnavailableByRequest() {
    const char* v = std::getenv("VTL_NO_GL");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
}

bool MakeGlContextCurrent(std::string& why) {
    // One context for the whole process, never destroyed: the tests take turns on it.
    static const Context context = MakeContext();
    why = context.why;
    return context.ok;
}

std::string MakeTempFolder() {
    std::error_code error;
    std::string base = std::filesystem::temp_directory_path(error).string();
    if (error || base.empty()) base = "/tmp";
    std::string pattern = base + "/vtl_gl_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) return std::string();
    return std::string(name.data());
}

void RemoveFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}

}  // namespace vtl::gltest

namespace vtl::pixeltest {

using gltest::MakeTempFolder;
using gltest::OffscreenSurface;
using gltest::RemoveFolder;

void EnginePixelTest::SetUp() {
    VTL_REQUIRE_GL();
    SetDirect3DCreate(gl::MakeGlDirect3DCreate(std::make_shared<OffscreenSurface>(kWidth, kHeight)));
    SetTextureLoader(gl::CreateGlTextureLoader());
    ASSERT_EQ(InitDirect3D(1), 0) << "no Direct3D object";
    renderer_ = CreateRenderInfo(nullptr, kWidth, kHeight, kVertexProcessingHardware);
    if (!renderer_) renderer_ = CreateRenderInfo(nullptr, kWidth, kHeight, kVertexProcessingSoftware);
    ASSERT_TRUE(renderer_) << "no device";
    folder_ = MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
}

void EnginePixelTest::TearDown() {
    // The device goes first, while its context is still current.
    renderer_.reset();
    InitDirect3D(0);
    SetTextureLoader(nullptr);
    SetDirect3DCreate(nullptr);
    if (!folder_.empty()) RemoveFolder(folder_);
}

void EnginePixelTest::FinishFrame() {
    int width = 0, height = 0;
    const bool read = gl::ReadBackBuffer(*R()->Device, pixels_, width, height);
    EXPECT_EQ(EndFrame(R()), 0);
    ASSERT_TRUE(read);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    pitch_ = width;
}

}  // namespace vtl::pixeltest
