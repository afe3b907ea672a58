// The scene's two pictures, the background and the environment map, drawn from code.
#pragma once

#include "image.h"

namespace vtl {

// The night city behind the skull, 512 x 512.
RgbImage MakeCityBackground();

// A sphere map addressed by camera-space normals (u = 0.5 + 0.5 nx,
// v = 0.5 - 0.5 ny): bright sky for normals that point up, city lights for those
// that point down; smooth, so it reads as gloss on the models. 256 x 256.
RgbImage MakeEnvironmentMap();

}  // namespace vtl
