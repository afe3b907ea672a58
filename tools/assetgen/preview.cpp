#include "preview.h"

#include "meshes.h"
#include "outfile.h"
#include "raster.h"
#include "scene/scene_layout.h"

namespace vtl {

RgbImage RenderScene(int width, int height, const RgbImage& background, float rotationDeg, const MeshData& skull,
                     const MeshData* glasses, const RgbImage* environment) {
    Raster raster(width, height);
    raster.Clear(0, 0, 0);
    raster.DrawBackground(background);
    const auto mode = environment != nullptr ? Raster::TexMode::kReflection : Raster::TexMode::kNone;
    raster.SetWorld(SkullWorld(rotationDeg));
    raster.DrawMesh(skull, VertexColour(kSkullColor).rgb, mode, environment);
    if (glasses != nullptr) {
        raster.SetWorld(GlassesWorld(rotationDeg));
        raster.DrawMesh(*glasses, VertexColour(kGlassesColor).rgb, mode, environment);
    }
    return raster.Image();
}

void WritePreviewBmp(const std::string& outDir, const RgbImage& background) {
    // Rendered four times larger and filtered down, so the small picture has smooth edges;
    // a three-quarter turn shows both the face and the glasses' temples.
    const int scale = 4;
    const RgbImage big = RenderScene(kPreviewWidth * scale, kPreviewHeight * scale, background, -62.0f, SkullMeshData(),
                                     &GlassesMeshData(), nullptr);
    WriteBmp8(OutPath(outDir, "preview.bmp"), Raster::Downsample(big, scale));
}

}  // namespace vtl
