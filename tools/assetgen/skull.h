// The skull and the sunglasses the scene puts on it, as generated meshes.
//
// Skull model frame: +X is the way the face looks, +Z is up (the scene spins the
// skull about its Z axis and tips that axis back toward the viewer), Y runs across
// the face; the turning axis passes through the middle of the head. The skull is
// modelled in centimetres of a life-sized head and scaled down by kSkullScale.
//
// Glasses model frame: the scene places a glasses vertex g at
//   skull = (0.034 - 0.37 g.y, 0.37 g.x, 0.25 + 0.4 g.z)
// (its scale, offset and quarter turn about Z relative to the skull), so the lenses
// look along -Y of their own frame, X runs across the face and Z is up.
#pragma once

#include "engine/voxamesh.h"
#include "sdf.h"

namespace vtl {

inline constexpr double kSkullScale = 0.034;  // model units per centimetre
inline constexpr int kSkullTriangles = 12000;

// Signed distance (centimetres) of a skull-model point from the bone surface.
double SkullField(sdf::Vec3 model);
// A point given in centimetres of the life-sized head, in the skull's model frame.
sdf::Vec3 SkullFromCm(sdf::Vec3 cm);
sdf::GenMesh BuildSkull();

// Where the scene puts a glasses-model point, in the skull's model frame.
sdf::Vec3 GlassesToSkull(sdf::Vec3 glasses);
sdf::GenMesh BuildGlasses();

// Welds a generated mesh into the file's three pools: positions, normals and
// texture coordinates that are bit-identical share one entry.
MeshData ToMeshData(const sdf::GenMesh& mesh);

// The two meshes as written to their files, built once per process.
const MeshData& SkullMeshData();
const MeshData& GlassesMeshData();

}  // namespace vtl
