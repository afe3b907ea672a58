// vtl_assetgen OUTDIR: writes every file of the saver's two packs, plus the preview
// picture, into OUTDIR. The output depends on nothing but this program: fixed
// seeds, no clock, no locale, and elementary functions of our own.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "image.h"
#include "meshes.h"
#include "numfont.h"
#include "outfile.h"
#include "pack/assetnames.h"
#include "pictures.h"
#include "preview.h"
#include "sounds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vtl_assetgen OUTDIR\n");
        return 2;
    }
    const std::string outDir = argv[1];
    try {
        std::filesystem::create_directories(outDir);
        const vtl::RgbImage background = vtl::MakeCityBackground();
        vtl::WriteJpeg(vtl::OutPath(outDir, vtl::kBackgroundPictureFile), background, 90);
        vtl::WriteJpeg(vtl::OutPath(outDir, vtl::kEnvironmentMapFile), vtl::MakeEnvironmentMap(), 92);
        vtl::WriteBmp24(vtl::OutPath(outDir, vtl::kNumFontFile), vtl::MakeNumberFont());
        vtl::WriteSoundAssets(outDir);
        vtl::WriteMeshAssets(outDir);
        vtl::WritePreviewBmp(outDir, background);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtl_assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
