// The names the packs and their entries go by. Installed packs, the saver that
// unpacks them and the build that makes them must agree, so the names are pinned here
// once; everything else takes them from the table.
#include "pack/assetnames.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "pack/packlib.h"

namespace vtl {
namespace {

TEST(AssetNames, AreTheNamesTheSaverShipsAndLoads) {
    const struct {
        const char* constant;
        const char* expected;
    } cases[] = {
        {kScenePackName, "vtl3d.pak"},
        {kSoundPackName, "vtlsound.pak"},
        {kSkullMeshFile, "qv_skull.msh"},
        {kGlassesMeshFile, "glas_sp.msh"},
        {kBackgroundPictureFile, "qvbg512.jpg"},
        {kEnvironmentMapFile, "envtex01.jpg"},
        {kNumFontFile, "numfont.bmp"},
        {kBackgroundLoopFile, "background.wav"},
        {kHelicopterLoopFile, "helicopter.wav"},
        {kStreet1File, "Street1.wav"},
        {kStreet2File, "Street2.wav"},
        {kStreet3File, "Street3.wav"},
        {kStreet4File, "Street4.wav"},
        {kNear1File, "Near1.wav"},
        {kNear2File, "Near2.wav"},
        {kNear3File, "Near3.wav"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.constant, c.expected);
}

template <std::size_t N>
std::vector<std::string> Names(const std::array<const char*, N>& entries) {
    return {entries.begin(), entries.end()};
}

TEST(AssetNames, EachPackHoldsItsOwnAssetsInOrder) {
    EXPECT_EQ(Names(kScenePackEntries),
              (std::vector<std::string>{"qv_skull.msh", "glas_sp.msh", "qvbg512.jpg", "envtex01.jpg", "numfont.bmp"}));
    EXPECT_EQ(Names(kSoundPackEntries),
              (std::vector<std::string>{"background.wav", "helicopter.wav", "Street1.wav", "Street2.wav", "Street3.wav",
                                        "Street4.wav", "Near1.wav", "Near2.wav", "Near3.wav"}));
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A pack is unpacked into one folder, on file systems that may ignore case: two
// entries whose names differ only in case would leave one file. An entry's name holds
// at most 27 bytes and no folder.
TEST(AssetNames, FitThePackFormatAndNeverOverwriteEachOther) {
    const std::vector<std::string> packs[] = {Names(kScenePackEntries), Names(kSoundPackEntries)};
    for (const std::vector<std::string>& pack : packs) {
        std::set<std::string> seen;
        for (const std::string& name : pack) {
            SCOPED_TRACE(name);
            EXPECT_FALSE(name.empty());
            EXPECT_LE(name.size(), kPackNameMax);
            EXPECT_EQ(name.find_first_of("/\\:"), std::string::npos);
            EXPECT_TRUE(seen.insert(Lower(name)).second) << "named twice";
        }
    }
}

}  // namespace
}  // namespace vtl
