// The scene as the saver draws it, rendered in software: the preview picture and the
// contact sheet are made from it.
#pragma once

#include <string>

#include "engine/voxamesh.h"
#include "image.h"

namespace vtl {

inline constexpr int kPreviewWidth = 152, kPreviewHeight = 112;

// The saver's frame with the skull turned by rotationDeg (the scene starts at -90,
// where the face looks straight at the viewer); with an environment picture the
// models carry the reflection as in the saver's default settings.
RgbImage RenderScene(int width, int height, const RgbImage& background, float rotationDeg, const MeshData& skull,
                     const MeshData* glasses, const RgbImage* environment);

// 8-bit BMP with a median-cut palette of 256 colours, rows bottom-up.
void WriteBmp8(const std::string& path, const RgbImage& image);

}  // namespace vtl
