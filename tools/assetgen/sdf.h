// Signed distance fields and their polygonisation, the modelling kit of the
// generator's meshes. Negative inside, positive outside. Everything here uses only
// IEEE arithmetic and sqrt, so a mesh comes out bit-identical on every machine.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace vtl::sdf {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalized(Vec3 a) {
  const double l = Length(a);
  return l > 0 ? a * (1.0 / l) : Vec3{0, 0, 1};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, double t) { return a + (b - a) * t; }

// Primitives. Ellipsoid is the usual bound-corrected approximation: exact sign,
// distance good near the surface, which is all polygonisation and blending need.
double Ellipsoid(Vec3 p, Vec3 centre, Vec3 radii);
double Sphere(Vec3 p, Vec3 centre, double r);
double Capsule(Vec3 p, Vec3 a, Vec3 b, double r);
// Capsule whose radius runs linearly from ra at a to rb at b.
double TaperedCapsule(Vec3 p, Vec3 a, Vec3 b, double ra, double rb);
// Box of half extents `half` plus a rounding of r on every side, in the frame given
// by the orthonormal axes u, v, w around `centre`.
double RoundBox(Vec3 p, Vec3 centre, Vec3 u, Vec3 v, Vec3 w, Vec3 half, double r);

// Unsigned distance to the triangle a, b, c; minus a thickness it makes a plate.
double Triangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c);

// Polynomial smooth minimum: blends over a band of width k.
double SmoothUnion(double a, double b, double k);
// Removes b from a with a fillet of width k.
double SmoothSubtract(double a, double b, double k);

// An indexed triangle mesh with one pool index per corner; positions, normals and
// texture coordinates are parallel arrays. Front faces run clockwise seen from
// outside in a left-handed frame, i.e. Cross(p1 - p0, p2 - p0) points outward.
struct GenMesh {
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  std::vector<std::array<double, 2>> uvs;
  std::vector<std::array<int, 3>> triangles;
};

using Field = std::function<double(Vec3)>;

// Zero level set of `field` over the box [lo, hi], sampled on a grid of the given
// cell counts and split into tetrahedra (six per cell around the main diagonal, the
// same split in every cell), so the result is a closed two-manifold whenever the
// field is positive on the box's border. Vertices lie on grid edges and are shared
// by the tetrahedra around the edge. Normals are the normalised field gradient.
GenMesh Polygonise(const Field& field, Vec3 lo, Vec3 hi, int nx, int ny, int nz);

// Normalised central-difference gradient.
Vec3 Gradient(const Field& field, Vec3 p, double h);

// Moves p onto the zero level set by a few Newton steps along the gradient.
Vec3 ProjectToSurface(const Field& field, Vec3 p, double h);

// Collapses the edges of a closed two-manifold mesh in the order of their quadric
// error (the least visible first) until at most targetTriangles remain, never where
// that would pinch the surface (the link condition) or turn a face over; merged
// vertices are put back on the field's surface and every vertex gets the field's
// gradient as its smooth normal. Texture coordinates are dropped.
void Simplify(GenMesh& mesh, const Field& field, int targetTriangles, double h);

// Drops every piece of the surface but the one with the most triangles: specks
// where two blended shapes only just touch.
void KeepLargestPiece(GenMesh& mesh);

// Appends b to a, renumbering b's indices.
void Append(GenMesh& a, const GenMesh& b);

}  // namespace vtl::sdf
