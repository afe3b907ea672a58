#pragma once
// What the OpenGL floor program draws, without any OpenGL: the saver's meshes expanded
// into the same 36-byte vertices, its pictures decoded to texels, and the row-vector
// matrix maths of Direct3D that places them.
#include <cstdint>
#include <string>
#include <vector>

namespace vtl::floor {

struct Vertex {
    float x, y, z, nx, ny, nz;
    std::uint32_t color;  // 0xAARRGGBB, B G R A in memory
    float u, v;
};
static_assert(sizeof(Vertex) == 36, "vertex layout");

// A mesh file expanded into a non-indexed triangle list, as the saver expands it; false
// for a file that is missing, cut short or whose indices lie outside its tables.
bool LoadMesh(const std::string& path, std::uint32_t color, std::vector<Vertex>& out);

// The same triangles seen from behind: normals turned round.
std::vector<Vertex> BackFaces(std::vector<Vertex> front);

// A JPEG file as 0xAARRGGBB texels, top row first; false when it does not decode.
bool LoadJpeg(const std::string& path, int& width, int& height, std::vector<std::uint32_t>& texels);

// A Direct3D matrix: rows are m[0..3], a point is the row vector p * M.
struct Matrix {
    float m[4][4];
};
Matrix Identity();
Matrix Multiply(const Matrix& a, const Matrix& b);
Matrix Translation(float x, float y, float z);
Matrix Scale(float x, float y, float z);
Matrix RotationX(float radians);
Matrix RotationZ(float radians);
float Radians(double degrees);

// The saver's camera (at (0, 0, 1.44) looking at the origin, left-handed) and its
// projection (1 radian vertically, 0.1 to 100), for a screen of height/width `aspect`.
Matrix SaverView();
Matrix SaverProjection(float aspect);

// The 3 x 3 matrix that turns normals with the upper part of `m` (its cofactors: the
// inverse transpose up to a positive scale, which normalising removes), row by row like
// the other matrices: GLSL reads rows as columns, so `N * n` is Direct3D's n * N.
void NormalMatrix(const Matrix& m, float out[9]);

}  // namespace vtl::floor
