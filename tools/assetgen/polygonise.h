// The surface of a distance field as a closed triangle mesh.
#pragma once

#include "genmesh.h"
#include "sdf.h"

namespace vtl::sdf {

// Zero level set of `field` over the box [lo, hi], sampled on a grid of the given
// cell counts and split into tetrahedra (six per cell around the main diagonal, the
// same split in every cell), so the result is a closed two-manifold whenever the
// field is positive on the box's border. Vertices lie on grid edges and are shared
// by the tetrahedra around the edge. Normals are the normalised field gradient.
GenMesh Polygonise(const Field& field, Vec3 lo, Vec3 hi, int nx, int ny, int nz);

}  // namespace vtl::sdf
