#include "floor_scene.h"

#include "support/floor_mesh.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace vtl::floor {

bool LoadMesh(const std::string& path, std::uint32_t color, std::vector<Vertex>& out) {
    return LoadFloorMesh(path, color, out);
}

std::vector<Vertex> BackFaces(std::vector<Vertex> front) {
    for (Vertex& v : front) {
        v.nx = -v.nx;
        v.ny = -v.ny;
        v.nz = -v.nz;
    }
    return front;
}

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->back, 1); }

// Nothing with a destructor lives here: longjmp may leave it.
bool Decode(FILE* file, int& width, int& height, std::uint32_t* (*grow)(void*, int, int), void* into) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    std::uint32_t* texels = grow(into, width, height);
    JSAMPLE* row = reinterpret_cast<JSAMPLE*>(texels);
    while (info.output_scanline < info.output_height) {
        // Each row is decoded into the end of its own texels and spread from the front.
        const std::size_t y = info.output_scanline;
        std::uint32_t* out = texels + y * std::size_t(width);
        row = reinterpret_cast<JSAMPLE*>(out) + std::size_t(width);
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < width; ++x)
            out[x] =
                0xFF000000u | std::uint32_t(row[3 * x]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool LoadJpeg(const std::string& path, int& width, int& height, std::vector<std::uint32_t>& texels) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    const auto grow = [](void* into, int w, int h) {
        auto* v = static_cast<std::vector<std::uint32_t>*>(into);
        v->assign(std::size_t(w) * std::size_t(h), 0);
        return v->data();
    };
    const bool ok = Decode(file, width, height, grow, &texels);
    std::fclose(file);
    return ok;
}

Matrix Identity() {
    Matrix m{};
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1;
    return m;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

Matrix Translation(float x, float y, float z) {
    Matrix m = Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

Matrix Scale(float x, float y, float z) {
    Matrix m = Identity();
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    return m;
}

Matrix RotationX(float a) {
    Matrix m = Identity();
    m.m[1][1] = std::cos(a);
    m.m[1][2] = std::sin(a);
    m.m[2][1] = -std::sin(a);
    m.m[2][2] = std::cos(a);
    return m;
}

Matrix RotationZ(float a) {
    Matrix m = Identity();
    m.m[0][0] = std::cos(a);
    m.m[0][1] = std::sin(a);
    m.m[1][0] = -std::sin(a);
    m.m[1][1] = std::cos(a);
    return m;
}

float Radians(double degrees) { return static_cast<float>(degrees * 3.14159265358979323846 / 180.0); }

Matrix SaverView() {
    Matrix view = Identity();
    view.m[0][0] = -1;
    view.m[2][2] = -1;
    view.m[3][2] = 1.44f;
    return view;
}

Matrix SaverProjection(float aspect) {
    const float yScale = 1.0f / std::tan(0.5f), zf = 100.0f, zn = 0.1f;
    Matrix projection{};
    projection.m[0][0] = yScale * aspect;
    projection.m[1][1] = yScale;
    projection.m[2][2] = zf / (zf - zn);
    projection.m[2][3] = 1;
    projection.m[3][2] = -zn * zf / (zf - zn);
    return projection;
}

void NormalMatrix(const Matrix& m, float out[9]) {
    const auto a = [&m](int r, int c) { return m.m[r % 3][c % 3]; };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r * 3 + c] = a(r + 1, c + 1) * a(r + 2, c + 2) - a(r + 1, c + 2) * a(r + 2, c + 1);
}

}  // namespace vtl::floor
