// The generator's working mesh, before it is welded into a mesh file's pools, and
// the edits made to it as a whole.
#pragma once

#include <array>
#include <vector>

#include "sdf.h"

namespace vtl::sdf {

// An indexed triangle mesh with one pool index per corner; positions, normals and
// texture coordinates are parallel arrays. Front faces run clockwise seen from
// outside in a left-handed frame, i.e. Cross(p1 - p0, p2 - p0) points outward.
struct GenMesh {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<std::array<double, 2>> uvs;
    std::vector<std::array<int, 3>> triangles;
};

// Drops every piece of the surface but the one with the most triangles: specks
// where two blended shapes only just touch.
void KeepLargestPiece(GenMesh& mesh);

// Appends b to a, renumbering b's indices.
void Append(GenMesh& a, const GenMesh& b);

}  // namespace vtl::sdf
