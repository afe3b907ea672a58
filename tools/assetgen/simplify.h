// Reducing an extracted surface to the triangles the eye needs.
#pragma once

#include "genmesh.h"
#include "sdf.h"

namespace vtl::sdf {

// Collapses the edges of a closed two-manifold mesh in the order of their quadric
// error (the least visible first) until at most targetTriangles remain, never where
// that would pinch the surface (the link condition) or turn a face over; merged
// vertices are put back on the field's surface and every vertex gets the field's
// gradient as its smooth normal. Texture coordinates are dropped.
void Simplify(GenMesh& mesh, const Field& field, int targetTriangles, double h);

}  // namespace vtl::sdf
