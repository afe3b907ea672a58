#pragma once
// The file names of the saver's assets: the two packs and the entries each one holds.
// The scene and the sound system load their files by these names, the asset generator
// writes its files under them, and the build packs exactly the two entry lists below,
// in their order. It sits with the packs because both of their consumers sit above
// the pack layer, and the generator needs nothing of it but this header.
//
// The build reads this header (tools/assetgen/CMakeLists.txt): every name is one
// `inline constexpr const char* kName = "file";` line, and each pack's entry list
// names those constants between its braces. Keep that shape, or the build stops and
// says so.
#include <array>

namespace vtl {

inline constexpr const char* kScenePackName = "vtl3d.pak";
inline constexpr const char* kSoundPackName = "vtlsound.pak";

// --- The scene pack ----------------------------------------------------------------
inline constexpr const char* kSkullMeshFile = "qv_skull.msh";
inline constexpr const char* kGlassesMeshFile = "glas_sp.msh";
inline constexpr const char* kBackgroundPictureFile = "qvbg512.jpg";
// One picture serves both reflections.
inline constexpr const char* kEnvironmentMapFile = "envtex01.jpg";
inline constexpr const char* kNumFontFile = "numfont.bmp";

// In pack order.
inline constexpr std::array<const char*, 5> kScenePackEntries = {
    kSkullMeshFile, kGlassesMeshFile, kBackgroundPictureFile, kEnvironmentMapFile, kNumFontFile,
};

// --- The sound pack ----------------------------------------------------------------
inline constexpr const char* kBackgroundLoopFile = "background.wav";
inline constexpr const char* kHelicopterLoopFile = "helicopter.wav";
// The street and the near one-shots, in the order of the sound system's tables.
inline constexpr const char* kStreet1File = "Street1.wav";
inline constexpr const char* kStreet2File = "Street2.wav";
inline constexpr const char* kStreet3File = "Street3.wav";
inline constexpr const char* kStreet4File = "Street4.wav";
inline constexpr const char* kNear1File = "Near1.wav";
inline constexpr const char* kNear2File = "Near2.wav";
inline constexpr const char* kNear3File = "Near3.wav";

// In pack order.
inline constexpr std::array<const char*, 9> kSoundPackEntries = {
    kBackgroundLoopFile, kHelicopterLoopFile, kStreet1File, kStreet2File, kStreet3File,
    kStreet4File,        kNear1File,          kNear2File,   kNear3File,
};

}  // namespace vtl
