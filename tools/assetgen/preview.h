// The scene as the saver draws it, rendered in software: the preview picture and the
// contact sheet are made from it.
#pragma once

#include <string>

#include "engine/voxamesh.h"
#include "image.h"

namespace vtl {

inline constexpr int kPreviewWidth = 152, kPreviewHeight = 112;

// The saver's frame with the skull turned by rotationDeg (the scene starts at
// kInitialRotationAngle, where the face looks straight at the viewer); with an
// environment picture the models carry the reflection as in the saver's default
// settings.
RgbImage RenderScene(int width, int height, const RgbImage& background, float rotationDeg, const MeshData& skull,
                     const MeshData* glasses, const RgbImage* environment);

// Writes outDir/preview.bmp: a 152 x 112, 8-bit palette picture of the scene (the
// background picture scaled, the skull wearing its glasses, lit like the saver).
// Throws std::runtime_error when the file cannot be written.
void WritePreviewBmp(const std::string& outDir, const RgbImage& background);

}  // namespace vtl
