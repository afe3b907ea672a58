// The sunglasses the scene puts on the skull, as a generated mesh.
//
// Glasses model frame: the scene scales a glasses vertex g, moves it and turns it with
// the skull a quarter turn further about Z (the placement in scene/scene_layout.h),
// which puts it at
//   skull = (-offsetY - scaleXY g.y, scaleXY g.x, offsetZ + scaleZ g.z)
// in the skull's model frame. So the lenses look along -Y of their own frame, X runs
// across the face and Z is up. The glasses are laid out in the skull's centimetre
// frame, where the face is known, and carried into their own frame by the inverse.
#pragma once

#include "genmesh.h"
#include "sdf.h"

namespace vtl {

// Where the scene puts a glasses-model point, in the skull's model frame.
sdf::Vec3 GlassesToSkull(sdf::Vec3 glasses);
sdf::GenMesh BuildGlasses();

}  // namespace vtl
