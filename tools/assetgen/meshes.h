// The generator's 3D assets: the skull and sunglasses meshes and the still picture the
// preview window shows. Everything is computed from code, deterministically, so the
// same sources always produce byte-identical files.
#pragma once

#include <string>

#include "image.h"

namespace vtl {

// Writes outDir/qv_skull.msh and outDir/glas_sp.msh. Throws std::runtime_error when a
// file cannot be written.
void WriteMeshAssets(const std::string& outDir);

// Writes outDir/preview.bmp: a 152 x 112, 8-bit palette picture of the scene (the
// background picture scaled, the skull wearing its glasses, lit like the saver).
// Throws std::runtime_error when the file cannot be written.
void WritePreviewBmp(const std::string& outDir, const RgbImage& background);

}  // namespace vtl
