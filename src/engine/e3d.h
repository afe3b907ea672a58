#pragma once
// The renderer unit: its core, meshes and textures, and the number font, each in a
// header of its own beside its source.
#include "engine/e3d_mesh.h"
#include "engine/e3d_numfont.h"
#include "engine/e3d_renderer.h"
