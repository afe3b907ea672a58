// The skull, as a generated mesh.
//
// Skull model frame: +X is the way the face looks, +Z is up (the scene spins the
// skull about its Z axis and tips that axis back toward the viewer), Y runs across
// the face; the turning axis passes through the middle of the head. The skull is
// modelled in centimetres of a life-sized head and scaled down by kSkullScale.
#pragma once

#include "genmesh.h"
#include "sdf.h"

namespace vtl {

inline constexpr double kSkullScale = 0.034;  // model units per centimetre
inline constexpr int kSkullTriangles = 12000;

// Signed distance (centimetres) of a skull-model point from the bone surface.
double SkullField(sdf::Vec3 model);
// A point given in centimetres of the life-sized head, in the skull's model frame.
sdf::Vec3 SkullFromCm(sdf::Vec3 cm);
sdf::GenMesh BuildSkull();

}  // namespace vtl
