// Pack extraction against the real Windows file system: share modes, read-only
// files, case-insensitive names and the system's temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "app/saver/win32/host_folders.h"
#include "engine/voxamesh.h"
#include "pack/packlib.h"
#include "platform/errors.h"
#include "platform/fake/fake_registry.h"
#include "platform/win32/win32_text.h"
#include "unit/pack/packbytes.h"

namespace vtl {
namespace {

namespace fs = std::filesystem;
using test::PackBytes;
using test::ReadWhole;

class PackWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = (fs::temp_directory_path() /
                ("vtl_packw_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                   .string();
        Clean();
        fs::create_directories(dir_);
    }
    void TearDown() override { Clean(); }
    void Clean() {
        std::error_code ec;
        if (fs::exists(dir_, ec))
            for (const auto& e : fs::recursive_directory_iterator(dir_, ec))
                SetFileAttributesW(e.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(dir_, ec);
    }
    std::string At(const std::string& name) const { return dir_ + "\\" + name; }

    std::string dir_;
};

TEST_F(PackWin32Test, PackHeldOpenByAnotherHandleCannotBeOpened) {
    PackBytes::Of({{"a.txt", "abc"}}).WriteTo(At("p.pak"));
    // Even a holder that shares everything keeps out an opener that shares nothing.
    const HANDLE other = CreateFileW(win32::Widen(At("p.pak")).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    try {
        ExtractPack(At("p.pak"), At("out"));
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + At("p.pak"));
    }
    EXPECT_FALSE(fs::exists(At("out")));
    CloseHandle(other);
    EXPECT_EQ(ExtractPack(At("p.pak"), At("out")), 1);
}

TEST_F(PackWin32Test, MeshHeldOpenByAnotherHandleCannotBeLoaded) {
    ASSERT_TRUE(SaveMeshFile(At("m.msh"), MeshData{}));
    const HANDLE other = CreateFileW(win32::Widen(At("m.msh")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    std::int32_t t = 0, v = 0, n = 0, u = 0;
    MeshData mesh;
    EXPECT_THROW(LoadMeshFile(At("m.msh"), t, v, n, u, mesh), EFOpenError);
    CloseHandle(other);
    EXPECT_EQ(LoadMeshFile(At("m.msh"), t, v, n, u, mesh), 0);
}

TEST_F(PackWin32Test, EntryCutShortKeepsItsBytesAndClosesThePack) {
    // The file of an entry cut short keeps its bytes, and the pack is closed again.
    PackBytes().Header(1).Entry("short.bin", 10).Text("abc").WriteTo(At("p.pak"));
    EXPECT_THROW(ExtractPack(At("p.pak"), At("out")), EReadError);
    EXPECT_EQ(ReadWhole(At("out\\short.bin")), "abc");
    EXPECT_TRUE(OpenFileExclusive(At("p.pak")));
}

TEST_F(PackWin32Test, ClearFolderLeavesReadOnlyFilesAndSubFolders) {
    const std::string folder = At("s");
    fs::create_directories(folder + "\\sub");
    for (const char* name : {"plain.txt", "ro.txt", "hidden.txt"}) PackBytes().Text(name).WriteTo(folder + "\\" + name);
    SetFileAttributesW(win32::Widen(folder + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(win32::Widen(folder + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(ClearFolder(folder), 4);
    EXPECT_FALSE(fs::exists(folder + "\\plain.txt"));
    EXPECT_FALSE(fs::exists(folder + "\\hidden.txt"));
    EXPECT_TRUE(fs::exists(folder + "\\ro.txt"));
    EXPECT_TRUE(fs::is_directory(folder + "\\sub"));
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(PackWin32Test, NamesDifferingOnlyInCaseEndInOneFileTheLaterWinning) {
    PackBytes::Of({{"Tex.JPG", "first"}, {"tex.jpg", "second!"}}).WriteTo(At("p.pak"));
    EXPECT_EQ(ExtractPack(At("p.pak"), At("out")), 2);
    int files = 0;
    for (const auto& e : fs::directory_iterator(At("out"))) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(ReadWhole(At("out\\TEX.jpg")), "second!");
}

TEST_F(PackWin32Test, DeviceNamesNeverReachTheFileSystem) {
    PackBytes::Of({{"ok.txt", "1"}, {"NUL.txt", "swallowed"}}).WriteTo(At("p.pak"));
    try {
        ExtractPack(At("p.pak"), At("out"));
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + At("out\\NUL.txt"));
    }
    EXPECT_EQ(ReadWhole(At("out\\ok.txt")), "1");
}

TEST_F(PackWin32Test, UnpackToTempUsesTheSystemTemporaryFolder) {
    // The pack lies in this test's folder, given as the install folder (the folder of
    // the test program holds the real packs); the temporary folder is the system's.
    struct TestFolders : IHostFolders {
        FakeRegistry registry;
        win32::HostFolders system{registry};
        std::string install;
        std::string InstallFolder() override { return install; }
        std::string TempFolder() override { return system.TempFolder(); }
    } folders;
    folders.install = dir_;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    const std::string expected = win32::Narrow(std::wstring(temp, n)) + "qvtmptxt.$$$";

    // The scratch folder is shared with every other user of it in this prefix; start
    // from an empty one so the count below is this test's own.
    ClearFolder(expected);
    const std::string program = "C:\\no-such-folder";
    PackBytes::Of({{"numfont.bmp", "BM"}}).WriteTo(At("vtl3d.pak"));
    const std::string scratch = UnpackToTemp("vtl3d.pak", folders, program);
    EXPECT_EQ(scratch, expected);
    EXPECT_EQ(ReadWhole(scratch + "\\numfont.bmp"), "BM");
    EXPECT_EQ(ClearFolder(scratch), 1);
    EXPECT_FALSE(fs::exists(scratch));
}

}  // namespace
}  // namespace vtl
