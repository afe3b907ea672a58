#include "gl_pixel_harness.h"

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
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                                       EGL_BLUE_SIZE,    8,               EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(c.display, configAttributes, &config, 1, &count) || count < 1) {
        if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
            c.why = "no EGL configuration for desktop OpenGL";
            return c;
        }
        config = nullptr;  // EGL_NO_CONFIG_KHR
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
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

Rgb ToRgb(std::uint32_t argb) {
    return Rgb{int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
}

::testing::AssertionResult Near(std::uint32_t argb, Rgb want, int tolerance) {
    const Rgb got = ToRgb(argb);
    const bool near = std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
                      std::abs(got.b - want.b) <= tolerance;
    if (std::getenv("VTL_PIXEL_LOG") != nullptr) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::cout << "[pixel] " << (test ? test->name() : "?") << ": got (" << got.r << "," << got.g << "," << got.b
                  << ") want (" << want.r << "," << want.g << "," << want.b << ") +-" << tolerance << "\n";
    }
    if (near) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << "," << got.g << "," << got.b << "), want ("
                                         << want.r << "," << want.g << "," << want.b << ") +-" << tolerance;
}

void GlEnginePixelTest::SetUp() {
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

void GlEnginePixelTest::TearDown() {
    // The device goes first, while its context is still current.
    renderer_.reset();
    InitDirect3D(0);
    SetTextureLoader(nullptr);
    SetDirect3DCreate(nullptr);
    if (!folder_.empty()) RemoveFolder(folder_);
}

std::string GlEnginePixelTest::Path(const std::string& name) const { return folder_ + "/" + name; }

void GlEnginePixelTest::StartFrame(D3DCOLOR clear) {
    ASSERT_EQ(BeginFrame(R()), 0);
    ClearFrame(R(), clear);
    SetCamera(R(), 0, 0, 1.44f, 0, 0, 0);
    R()->Device->GetTransform(D3DTS_VIEW, view_);
    R()->Device->GetTransform(D3DTS_PROJECTION, projection_);
}

void GlEnginePixelTest::FinishFrame() {
    int width = 0, height = 0;
    const bool read = gl::ReadBackBuffer(*R()->Device, pixels_, width, height);
    EXPECT_EQ(EndFrame(R()), 0);
    ASSERT_TRUE(read);
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    pitch_ = width;
}

std::uint32_t GlEnginePixelTest::Pixel(int x, int y) const {
    if (pitch_ == 0 || x < 0 || y < 0 || x >= pitch_ || std::size_t(y) * pitch_ >= pixels_.size()) return 0xDEADBEEF;
    return pixels_[std::size_t(y) * pitch_ + x] & 0xFFFFFFu;
}

void GlEnginePixelTest::ScreenOf(float x, float y, float z, int& px, int& py) const {
    const D3DMATRIX m = MatrixMultiply(view_, projection_);
    const float cx = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0];
    const float cy = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1];
    const float cw = x * m.m[0][3] + y * m.m[1][3] + z * m.m[2][3] + m.m[3][3];
    px = int((cx / cw + 1.0f) * 0.5f * kWidth);
    py = int((1.0f - cy / cw) * 0.5f * kHeight);
}

std::uint32_t GlEnginePixelTest::PixelAt(float x, float y, float z) const {
    int px = 0, py = 0;
    ScreenOf(x, y, z, px, py);
    return Pixel(px, py);
}

void WriteMesh(const std::string& path, const std::vector<Corner>& corners) {
    MeshData mesh;
    for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
        const std::int32_t b = std::int32_t(i);
        mesh.triangles.push_back({b, b + 1, b + 2, b, b + 1, b + 2, 0, 0, 0});
    }
    for (const Corner& c : corners) {
        mesh.positions.push_back(c.p);
        mesh.normals.push_back(c.n);
    }
    ASSERT_TRUE(SaveMeshFile(path, mesh));
}

void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    ASSERT_TRUE(out.good());
}

void WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb) {
    const int rowBytes = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + std::size_t(rowBytes) * height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = std::uint8_t(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, std::uint32_t(file.size() - 54));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &file[54 + std::size_t(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb[std::size_t(y) * width + x];
            row[x * 3 + 0] = std::uint8_t(p);
            row[x * 3 + 1] = std::uint8_t(p >> 8);
            row[x * 3 + 2] = std::uint8_t(p >> 16);
        }
    }
    WriteBytes(path, file.data(), file.size());
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
