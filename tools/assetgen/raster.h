// A small software rasteriser that draws meshes the way the saver's fixed-function
// pipeline does: row-vector matrices, a left-handed camera, counter-clockwise
// culling of front buffers, one white directional light shining along -z with no
// ambient term, Gouraud shading, an optional texture (plain or addressed by the
// camera-space normal for the environment reflection) and a z-buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/voxamesh.h"
#include "image.h"
#include "platform/d3d8types.h"

namespace vtl {

class Raster {
 public:
  Raster(int width, int height);

  void Clear(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  // The camera the scene sets every frame: eye (0, 0, eyeZ), target the origin.
  void SetCamera(float eyeZ = 1.44f);
  void SetWorld(const D3DMATRIX& world) { world_ = world; }

  enum class TexMode { kNone, kPlain, kReflection };
  // Draws the mesh's triangles like a two-sided mesh of the engine: the front pass
  // keeps clockwise triangles, the back pass counter-clockwise ones with negated
  // normals. `colour` is the vertex diffuse colour, 0..1 per channel.
  void DrawMesh(const MeshData& mesh, const float colour[3], TexMode mode = TexMode::kNone,
                const RgbImage* texture = nullptr, bool twoSided = true);
  // The scene's background: a 4 x 3 quad 1.24 units behind the origin, textured.
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

// The scene's world matrices for a given turn of the skull, in degrees.
D3DMATRIX SkullWorld(float rotationDeg);
D3DMATRIX GlassesWorld(float rotationDeg);

// Samples a picture bilinearly at (u, v), wrapping, v from the top.
void SampleBilinear(const RgbImage& image, float u, float v, float out[3]);

}  // namespace vtl
