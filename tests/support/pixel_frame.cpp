#include "support/pixel_frame.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "engine/voxamesh.h"
#include "platform/files.h"

namespace vtl::pixeltest {

Rgb ToRgb(std::uint32_t argb) { return Rgb{int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)}; }

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
    return ::testing::AssertionFailure() << "got (" << got.r << "," << got.g << "," << got.b << "), want (" << want.r
                                         << "," << want.g << "," << want.b << ") +-" << tolerance;
}

void PixelFrame::StartFrame(D3DCOLOR clear) {
    ASSERT_EQ(BeginFrame(R()), 0);
    ClearFrame(R(), clear);
    SetCamera(R(), 0, 0, 1.44f, 0, 0, 0);
    R()->Device->GetTransform(D3DTS_VIEW, view_);
    R()->Device->GetTransform(D3DTS_PROJECTION, projection_);
}

std::uint32_t PixelFrame::Pixel(int x, int y) const {
    if (pitch_ == 0 || x < 0 || y < 0 || x >= pitch_ || std::size_t(y) * pitch_ >= pixels_.size()) return 0xDEADBEEF;
    return pixels_[std::size_t(y) * pitch_ + x] & 0xFFFFFFu;
}

void PixelFrame::ScreenOf(float x, float y, float z, int& px, int& py) const {
    const D3DMATRIX m = MatrixMultiply(view_, projection_);
    const float cx = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0];
    const float cy = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1];
    const float cw = x * m.m[0][3] + y * m.m[1][3] + z * m.m[2][3] + m.m[3][3];
    px = int((cx / cw + 1.0f) * 0.5f * kWidth);
    py = int((1.0f - cy / cw) * 0.5f * kHeight);
}

std::uint32_t PixelFrame::PixelAt(float x, float y, float z) const {
    int px = 0, py = 0;
    ScreenOf(x, y, z, px, py);
    return Pixel(px, py);
}

std::string PixelFrame::Path(const std::string& name) const { return folder_ + kPathSeparator + name; }

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

namespace {

D3DVECTOR Add(const D3DVECTOR& a, const D3DVECTOR& b) { return MakeVector(a.x + b.x, a.y + b.y, a.z + b.z); }

}  // namespace

std::vector<Corner> Cube() {
    const D3DVECTOR normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<Corner> corners;
    for (const D3DVECTOR& n : normals) {
        const D3DVECTOR a = std::fabs(n.x) > 0.5f ? MakeVector(0, 1, 0) : MakeVector(1, 0, 0);
        const D3DVECTOR b = VecCross(n, a);  // a x b = n
        auto at = [&](float s, float t) { return Add(n, Add(VecScale(a, s), VecScale(b, t))); };
        const D3DVECTOR p00 = at(-1, -1), p10 = at(1, -1), p11 = at(1, 1), p01 = at(-1, 1);
        for (const D3DVECTOR& p : {p00, p10, p11, p00, p11, p01}) corners.push_back({p, n});
    }
    return corners;
}

std::vector<Corner> Sphere(float radius, int rings, int segments) {
    const float pi = 3.14159265f;
    auto point = [&](int i, int j) {
        const float theta = pi * float(i) / float(rings), phi = 2 * pi * float(j) / float(segments);
        return MakeVector(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    };
    std::vector<Corner> corners;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            const D3DVECTOR q[4] = {point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1)};
            static const int kTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (const auto& tri : kTriangles) {
                D3DVECTOR v[3] = {q[tri[0]], q[tri[1]], q[tri[2]]};
                // Clockwise seen from outside: the corner cross product points outward.
                const D3DVECTOR c = VecCross(VecSubtract(v[1], v[0]), VecSubtract(v[2], v[0]));
                if (VecDot(c, Add(Add(v[0], v[1]), v[2])) < 0) std::swap(v[1], v[2]);
                for (const D3DVECTOR& n : v) corners.push_back({VecScale(n, radius), n});
            }
        }
    }
    return corners;
}

}  // namespace vtl::pixeltest
