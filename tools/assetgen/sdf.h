// Signed distance fields, the modelling kit of the generator's meshes: the vector
// type, the primitives, their blends and the walk onto a surface. Negative inside,
// positive outside. Everything here and in the mesh code built on it uses only IEEE
// arithmetic and sqrt, so a mesh comes out bit-identical on every machine.
#pragma once

#include <cmath>
#include <functional>

namespace vtl::sdf {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
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

using Field = std::function<double(Vec3)>;

// Normalised central-difference gradient.
Vec3 Gradient(const Field& field, Vec3 p, double h);

// Moves p onto the zero level set by a few Newton steps along the gradient.
Vec3 ProjectToSurface(const Field& field, Vec3 p, double h);

}  // namespace vtl::sdf
