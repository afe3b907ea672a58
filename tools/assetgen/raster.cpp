#include "raster.h"

#include <algorithm>
#include <cmath>

#include "engine/e3d.h"
#include "engine/e3dmath.h"

namespace vtl {

namespace {

struct V4 {
    float x, y, z, w;
};

V4 Transform(const D3DVECTOR& p, const D3DMATRIX& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2],
            p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3]};
}

// Row vector times a 3 x 3 matrix.
D3DVECTOR Transform3(const D3DVECTOR& n, const float m[3][3]) {
    return {n.x * m[0][0] + n.y * m[1][0] + n.z * m[2][0], n.x * m[0][1] + n.y * m[1][1] + n.z * m[2][1],
            n.x * m[0][2] + n.y * m[1][2] + n.z * m[2][2]};
}

D3DVECTOR Unit(const D3DVECTOR& v) {
    const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return l > 0 ? D3DVECTOR{v.x / l, v.y / l, v.z / l} : D3DVECTOR{0, 0, 0};
}

}  // namespace

Raster::Raster(int width, int height) : width_(width), height_(height) {
    image_.width = width;
    image_.height = height;
    image_.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    depth_.assign(static_cast<size_t>(width) * height, 1.0f);
    world_ = kIdentityMatrix;
    SetCamera();
}

void Raster::Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    for (size_t i = 0; i < image_.rgb.size(); i += 3) {
        image_.rgb[i] = r;
        image_.rgb[i + 1] = g;
        image_.rgb[i + 2] = b;
    }
    std::fill(depth_.begin(), depth_.end(), 1.0f);
}

void Raster::SetCamera(float eyeZ) {
    MakeLookAtMatrix(view_, MakeVector(0, 0, eyeZ), MakeVector(0, 0, 0), MakeVector(0, 1, 0));
    // The aspect as the renderer forms it from the window's size.
    const float invAspect = static_cast<float>(static_cast<double>(height_) / width_);
    MakePerspectiveMatrix(proj_, kCameraFieldOfView, invAspect, kCameraNearPlane, kCameraFarPlane);
}

void SampleBilinear(const RgbImage& image, float u, float v, float out[3]) {
    const float fx = u * image.width - 0.5f, fy = v * image.height - 0.5f;
    const float x0f = std::floor(fx), y0f = std::floor(fy);
    const float tx = fx - x0f, ty = fy - y0f;
    auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
    const int x0 = wrap(static_cast<int>(x0f), image.width), x1 = wrap(static_cast<int>(x0f) + 1, image.width);
    const int y0 = wrap(static_cast<int>(y0f), image.height), y1 = wrap(static_cast<int>(y0f) + 1, image.height);
    for (int c = 0; c < 3; ++c) {
        auto px = [&](int x, int y) { return image.rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c] / 255.0f; };
        const float top = px(x0, y0) + (px(x1, y0) - px(x0, y0)) * tx;
        const float bottom = px(x0, y1) + (px(x1, y1) - px(x0, y1)) * tx;
        out[c] = top + (bottom - top) * ty;
    }
}

void Raster::DrawMesh(const MeshData& mesh, const float colour[3], TexMode mode, const RgbImage* texture,
                      bool twoSided) {
    const D3DMATRIX wvp = MatrixMultiply(MatrixMultiply(world_, view_), proj_);
    // Normals go through the inverse transpose of the world matrix, as the device
    // takes them.
    const NormalMatrix3 normalMatrix = MakeNormalMatrix(world_);
    const auto& nm = normalMatrix.m;
    const float viewRot[3][3] = {{view_.m[0][0], view_.m[0][1], view_.m[0][2]},
                                 {view_.m[1][0], view_.m[1][1], view_.m[1][2]},
                                 {view_.m[2][0], view_.m[2][1], view_.m[2][2]}};
    const RgbImage* tex = mode == TexMode::kNone ? nullptr : texture;
    for (int pass = 0; pass < (twoSided ? 2 : 1); ++pass) {
        const float sign = pass == 0 ? 1.0f : -1.0f;
        for (const TMeshTriangle& t : mesh.triangles) {
            const std::int32_t vi[3] = {t.V0, t.V1, t.V2}, ni[3] = {t.N0, t.N1, t.N2}, ti[3] = {t.T0, t.T1, t.T2};
            Vert v[3];
            bool behind = false;
            for (int k = 0; k < 3; ++k) {
                const V4 c = Transform(mesh.positions[vi[k]], wvp);
                if (c.w < 0.1f) behind = true;
                const float iw = 1.0f / c.w;
                v[k].x = (c.x * iw + 1.0f) * 0.5f * width_;
                v[k].y = (1.0f - c.y * iw) * 0.5f * height_;
                v[k].z = c.z * iw;
                v[k].w = c.w;
                const D3DVECTOR n0 = mesh.normals[ni[k]];
                const D3DVECTOR nw = Unit(Transform3({n0.x * sign, n0.y * sign, n0.z * sign}, nm));
                // The light shines along -z, so the lit share is the normal's +z part.
                const float lit = std::max(0.0f, nw.z) * kLightDiffuse;
                v[k].r = std::min(1.0f, colour[0] * lit);
                v[k].g = std::min(1.0f, colour[1] * lit);
                v[k].b = std::min(1.0f, colour[2] * lit);
                if (mode == TexMode::kReflection) {
                    const D3DVECTOR nc = Unit(Transform3(nw, viewRot));
                    v[k].u = 0.5f + 0.5f * nc.x;
                    v[k].v = 0.5f - 0.5f * nc.y;
                } else if (!mesh.texCoords.empty()) {
                    v[k].u = mesh.texCoords[ti[k]].u;
                    v[k].v = 1.0f - mesh.texCoords[ti[k]].v;
                } else {
                    v[k].u = 0;
                    v[k].v = 1;
                }
            }
            if (behind) continue;
            const float area = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
            // Clockwise on the screen (y down) is a positive area: the front pass culls the
            // rest, the back pass keeps only the rest.
            if (pass == 0 ? area <= 0 : area >= 0) continue;
            Triangle(v[0], v[1], v[2], tex);
        }
    }
}

void Raster::DrawBackground(const RgbImage& picture) {
    MeshData quad;
    const float xs[6] = {-2, 2, -2, -2, 2, 2}, ys[6] = {1.5f, 1.5f, -1.5f, -1.5f, 1.5f, -1.5f};
    const float us[6] = {1, 0, 1, 1, 0, 0}, vs[6] = {0, 0, 1, 1, 0, 1};
    for (int i = 0; i < 6; ++i) {
        quad.positions.push_back({xs[i], ys[i], 0});
        // Stored v is flipped by the mesh builder; store 1 - v so the device sees vs[i].
        quad.texCoords.push_back({us[i], 1.0f - vs[i]});
    }
    quad.normals.push_back({0, 0, -1});
    quad.triangles.push_back({0, 1, 2, 0, 0, 0, 0, 1, 2});
    quad.triangles.push_back({3, 4, 5, 0, 0, 0, 3, 4, 5});
    SetWorld(BackgroundWorld());
    const float white[3] = {1, 1, 1};
    DrawMesh(quad, white, TexMode::kPlain, &picture);
}

void Raster::Triangle(const Vert& a, const Vert& b, const Vert& c, const RgbImage* texture) {
    const float minX = std::max(0.0f, std::floor(std::min({a.x, b.x, c.x})));
    const float maxX = std::min(static_cast<float>(width_ - 1), std::ceil(std::max({a.x, b.x, c.x})));
    const float minY = std::max(0.0f, std::floor(std::min({a.y, b.y, c.y})));
    const float maxY = std::min(static_cast<float>(height_ - 1), std::ceil(std::max({a.y, b.y, c.y})));
    const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0) return;
    const float iwa = 1 / a.w, iwb = 1 / b.w, iwc = 1 / c.w;
    for (int y = static_cast<int>(minY); y <= static_cast<int>(maxY); ++y) {
        for (int x = static_cast<int>(minX); x <= static_cast<int>(maxX); ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float w0 = ((b.x - px) * (c.y - py) - (c.x - px) * (b.y - py)) / area;
            const float w1 = ((c.x - px) * (a.y - py) - (a.x - px) * (c.y - py)) / area;
            const float w2 = 1.0f - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            const float z = w0 * a.z + w1 * b.z + w2 * c.z;
            const size_t idx = static_cast<size_t>(y) * width_ + x;
            if (z > depth_[idx] || z < 0) continue;
            depth_[idx] = z;
            float col[3] = {w0 * a.r + w1 * b.r + w2 * c.r, w0 * a.g + w1 * b.g + w2 * c.g,
                            w0 * a.b + w1 * b.b + w2 * c.b};
            if (texture != nullptr) {
                const float q = w0 * iwa + w1 * iwb + w2 * iwc;
                const float u = (w0 * a.u * iwa + w1 * b.u * iwb + w2 * c.u * iwc) / q;
                const float v = (w0 * a.v * iwa + w1 * b.v * iwb + w2 * c.v * iwc) / q;
                float texel[3];
                SampleBilinear(*texture, u, v, texel);
                for (int k = 0; k < 3; ++k) col[k] *= texel[k];
            }
            for (int k = 0; k < 3; ++k)
                image_.rgb[idx * 3 + k] =
                    static_cast<std::uint8_t>(std::lround(std::clamp(col[k], 0.0f, 1.0f) * 255.0f));
        }
    }
}

RgbImage Raster::Downsample(const RgbImage& image, int factor) {
    RgbImage out;
    out.width = image.width / factor;
    out.height = image.height / factor;
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum +=
                            image.rgb[((static_cast<size_t>(y) * factor + dy) * image.width + x * factor + dx) * 3 + c];
                out.rgb[(static_cast<size_t>(y) * out.width + x) * 3 + c] =
                    static_cast<std::uint8_t>((sum + factor * factor / 2) / (factor * factor));
            }
    return out;
}

namespace {

// The renderer's world operations, each putting its matrix in front of the world so
// far; RotateWorldDeg from a reset world is Rz x Ry x Rx.
D3DMATRIX TurnedWorld(float xDeg, float yDeg, float zDeg) {
    D3DMATRIX world = MakeTranslationMatrix(0, 0, 0);
    world = MatrixMultiply(MakeRotationXMatrix(DegToRad(xDeg)), world);
    world = MatrixMultiply(MakeRotationYMatrix(DegToRad(yDeg)), world);
    return MatrixMultiply(MakeRotationZMatrix(DegToRad(zDeg)), world);
}

}  // namespace

D3DMATRIX BackgroundWorld() { return MakeTranslationMatrix(0, 0, kBackgroundZ); }

D3DMATRIX SkullWorld(float rotationDeg) { return TurnedWorld(kModelTiltXDeg, 0, rotationDeg); }

D3DMATRIX GlassesWorld(float rotationDeg) {
    D3DMATRIX world = TurnedWorld(kModelTiltXDeg, 0, static_cast<float>(rotationDeg + kGlassesTurnDeg));
    world = MatrixMultiply(
        MakeTranslationMatrix(0, static_cast<float>(kGlassesOffsetY), static_cast<float>(kGlassesOffsetZ)), world);
    const float scaleXY = static_cast<float>(kGlassesScaleXY);
    return MatrixMultiply(MakeScaleMatrix(scaleXY, scaleXY, static_cast<float>(kGlassesScaleZ)), world);
}

VertexRgb VertexColour(std::uint32_t color) {
    return {{((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f}};
}

}  // namespace vtl
