#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "pack/packlib.h"
#include "platform/errors.h"
#include "unit/pack/packbytes.h"

namespace vtl {
namespace {

namespace fs = std::filesystem;
using test::PackBytes;

struct Folder {
    Folder() {
        std::string name =
            std::string("vtl_packcheck_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        path = fs::temp_directory_path() / name;
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

struct DamageCase {
    const char* what;
    PackBytes pack;
    const char* reason;  // "" for a pack that unpacks whole
};

class PackDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(PackDamageTest, TellsWhyBeforeAnythingIsWritten) {
    const DamageCase& c = GetParam();
    Folder dir;
    const std::string pack = dir / "vtlsound.pak";
    c.pack.WriteTo(pack);
    EXPECT_EQ(PackDamage(pack), c.reason) << c.what;
    const std::string target = dir / "out";
    if (*c.reason == '\0') {
        EXPECT_NO_THROW(UnpackWholePack(pack, target)) << c.what;
        EXPECT_TRUE(fs::is_directory(target)) << c.what;
        return;
    }
    try {
        UnpackWholePack(pack, target);
        ADD_FAILURE() << c.what << ": no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()), "Damaged pack file " + pack + ": " + c.reason) << c.what;
    }
    EXPECT_FALSE(fs::exists(target)) << c.what << ": files were written from a damaged pack";
}

INSTANTIATE_TEST_SUITE_P(
    Packs, PackDamageTest,
    ::testing::Values(DamageCase{"whole", PackBytes::Of({{"a.wav", "abc"}, {"b.wav", "defgh"}}), ""},
                      DamageCase{"no entries", PackBytes::Of({}), ""},
                      DamageCase{"empty file", PackBytes{}, "it is not a pack file"},
                      DamageCase{"random bytes", PackBytes{}.Text("RIFF....WAVEfmt random noise that is no pack"),
                                 "it is not a pack file"},
                      DamageCase{"another version", PackBytes{}.Header(0, "VOXAPACK", 2),
                                 "its header is cut short or of another version"},
                      DamageCase{"header cut short", PackBytes{}.Text("VOXAPACK").I32(1),
                                 "its header is cut short or of another version"},
                      DamageCase{"directory cut short", PackBytes{}.Header(2).Entry("a.wav", 3),
                                 "its directory is cut short or malformed"},
                      DamageCase{"last entry cut short", PackBytes::Of({{"a.wav", "abc"}, {"b.wav", "defgh"}}).Cut(2),
                                 "it is cut short: 102 of 104 bytes are there"},
                      DamageCase{"data missing entirely", PackBytes{}.Header(1).Entry("a.wav", 1000),
                                 "it is cut short: 64 of 1064 bytes are there"}),
    [](const ::testing::TestParamInfo<DamageCase>& param) {
        std::string name = param.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(UnpackWholePack, AMissingPackKeepsTheOpenErrorThatNamesIt) {
    Folder dir;
    try {
        UnpackWholePack(dir / "vtl3d.pak", dir / "out");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir / "vtl3d.pak"));
    }
}

TEST(UnpackToTemp, AShortPackIsNamedInTheReadError) {
    Folder dir;
    fs::create_directories(dir.path / "program");
    PackBytes::Of({{"first", "written"}, {"second", std::string(500, 'x')}}).Cut(100).WriteTo(dir / "program/s.pak");
    class Folders : public IHostFolders {
    public:
        explicit Folders(std::string temp) : temp_(std::move(temp)) {}
        std::string InstallFolder() override { return {}; }
        std::string TempFolder() override { return temp_; }

    private:
        std::string temp_;
    } folders(dir.path.string() + kPathSeparator);
    try {
        UnpackToTemp("s.pak", folders, dir / "program");
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()), "Stream read error in file " + JoinPath(dir / "program", "s.pak"));
    }
}

TEST(UnpackWholeToTemp, ADamagedPackLeavesNoScratchFolderAndAWholeOneIsUnpacked) {
    Folder dir;
    class Folders : public IHostFolders {
    public:
        explicit Folders(std::string folder) : folder_(std::move(folder)) {}
        std::string InstallFolder() override { return folder_; }
        std::string TempFolder() override { return folder_ + kPathSeparator; }

    private:
        std::string folder_;
    } folders(dir.path.string());
    PackBytes::Of({{"a.wav", "abc"}}).Cut(1).WriteTo(dir / "s.pak");
    EXPECT_THROW(UnpackWholeToTemp("s.pak", folders), EReadError);
    EXPECT_FALSE(fs::exists(ScratchFolder(folders)));
    PackBytes::Of({{"a.wav", "abc"}}).WriteTo(dir / "s.pak");
    const std::string scratch = UnpackWholeToTemp("s.pak", folders);
    EXPECT_TRUE(fs::exists(JoinPath(scratch, "a.wav")));
    ClearFolder(scratch);
}

}  // namespace
}  // namespace vtl
