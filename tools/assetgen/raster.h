// A small software rasteriser that draws meshes the way the saver's fixed-function
// pipeline does: row-vector matrices, a left-handed camera, counter-clockwise
// culling of front buffers, the renderer's one directional light shining along -z
// with no ambient term, Gouraud shading, an optional texture (plain or addressed by the
// camera-space normal for the environment reflection) and a z-buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/voxamesh.h"
#include "image.h"
#include "platform/d3d8types.h"
#include "scene/scene_layout.h"

namespace vtl {

class Raster {
public:
    Raster(int width, int height);

    void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    // The camera the scene sets every frame: eye (0, 0, eyeZ), target the origin, the
    // renderer's lens and this picture's aspect.
    void SetCamera(float eyeZ = kCameraEyeZ);
    const D3DMATRIX& View() const { return view_; }
    const D3DMATRIX& Projection() const { return proj_; }
    void SetWorld(const D3DMATRIX& world) { world_ = world; }

    enum class TexMode { kNone, kPlain, kReflection };
    // Draws the mesh's triangles like a two-sided mesh of the engine: the front pass
    // keeps clockwise triangles, the back pass counter-clockwise ones with negated
    // normals. `colour` is the vertex diffuse colour, 0..1 per channel.
    void DrawMesh(const MeshData& mesh, const float colour[3], TexMode mode = TexMode::kNone,
                  const RgbImage* texture = nullptr, bool twoSided = true);
    // The scene's background: a 4 x 3 quad at BackgroundWorld(), textured.
    void DrawBackground(const RgbImage& picture);

    const RgbImage& Image() const { return image_; }
    // Box-filters the picture down by an integer factor (anti-aliasing).
    static RgbImage Downsample(const RgbImage& image, int factor);

private:
    struct Vert {
        float x, y, z, w;  // screen x, y, depth, clip w
        float r, g, b;     // lit colour
        float u, v;
    };
    void Triangle(const Vert& a, const Vert& b, const Vert& c, const RgbImage* texture);

    int width_, height_;
    RgbImage image_;
    std::vector<float> depth_;
    D3DMATRIX world_{}, view_{}, proj_{};
};

// The scene's world matrices for a given turn of the skull, in degrees, composed as the
// scene composes them through the renderer, so they are the scene's bit for bit.
D3DMATRIX BackgroundWorld();
D3DMATRIX SkullWorld(float rotationDeg);
D3DMATRIX GlassesWorld(float rotationDeg);

// A vertex colour (0x00RRGGBB) as the raster takes it, 0..1 a channel.
struct VertexRgb {
    float rgb[3];
};
VertexRgb VertexColour(std::uint32_t color);

// Samples a picture bilinearly at (u, v), wrapping, v from the top.
void SampleBilinear(const RgbImage& image, float u, float v, float out[3]);

}  // namespace vtl
