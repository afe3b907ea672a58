// Libraries come from the one folder they belong to, whatever lies in the current
// directory: a person may start the saver from a Downloads folder full of DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"

namespace vtl {
namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameW(module, buffer, MAX_PATH * 2);
    return std::wstring(buffer, n);
}

std::wstring Lower(std::wstring s) {
    CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// A folder made current for the test, holding a DLL under a name that exists
// nowhere else; the previous current directory comes back afterwards.
class PlantedDll : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t previous[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"vtl-planted\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
        const std::wstring real = win32::Widen(ExecutableFolder()) + L"\\d3d8ex.dll";
        ASSERT_TRUE(CopyFileW(real.c_str(), (folder_ + kPlanted).c_str(), FALSE));
        ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous_.c_str());
        DeleteFileW((folder_ + kPlanted).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    static constexpr const wchar_t* kPlanted = L"vtl_planted.dll";
    std::wstring previous_, folder_;
};

TEST_F(PlantedDll, PlainSearchWouldTakeItButOurLoadersDoNot) {
    // The fault this guards against is real here: the plain search finds the file.
    HMODULE plain = LoadLibraryW(kPlanted);
    ASSERT_NE(plain, nullptr) << "the current directory is not searched at all here";
    FreeLibrary(plain);

    EXPECT_EQ(win32::LoadSystemLibrary(kPlanted), nullptr);
    EXPECT_EQ(win32::LoadProgramLibrary(kPlanted), nullptr);
}

// Process-wide and for good, as in the saver; it keeps the program's own folder and
// the system folder, which is all the later tests load from.
TEST_F(PlantedDll, RemovedFromTheSearchOrderTheCurrentDirectoryIsNotSearched) {
    win32::RemoveCurrentDirectoryFromDllSearch();
    HMODULE plain = LoadLibraryW(kPlanted);
    EXPECT_EQ(plain, nullptr) << "loaded from " << win32::Narrow(ModulePath(plain));
    if (plain) FreeLibrary(plain);
    // Libraries by name from the program's folder and the system folder still load.
    HMODULE own = LoadLibraryW(L"d3d8ex.dll");
    EXPECT_NE(own, nullptr);
    if (own) FreeLibrary(own);
    HMODULE system = LoadLibraryW(L"d3d8.dll");
    EXPECT_NE(system, nullptr);
    if (system) FreeLibrary(system);
}

// A 32-bit program on 64-bit Windows names its system folder system32 and finds its
// system libraries in SysWOW64, which the system maps it to.
bool InSystemFolder(const std::wstring& path) {
    const std::wstring folder = Lower(path.substr(0, path.find_last_of(L'\\') + 1));
    if (folder == Lower(win32::SystemLibraryPath(L""))) return true;
    wchar_t wow64[MAX_PATH] = {};
    const UINT n = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    return n > 0 && n < MAX_PATH && folder == Lower(std::wstring(wow64, n) + L"\\");
}

TEST(LibraryLoading, EachLibraryFromItsOwnFolder) {
    struct {
        const wchar_t* name;
        bool fromSystem;
    } cases[] = {{L"D3D8.DLL", true}, {L"HHCtrl.ocx", true}, {L"d3d8ex.dll", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(win32::Narrow(c.name));
        HMODULE module = c.fromSystem ? win32::LoadSystemLibrary(c.name) : win32::LoadProgramLibrary(c.name);
        ASSERT_NE(module, nullptr);
        const std::wstring path = ModulePath(module);
        if (c.fromSystem)
            EXPECT_TRUE(InSystemFolder(path)) << win32::Narrow(path);
        else
            EXPECT_EQ(Lower(path), Lower(win32::ProgramLibraryPath(c.name)));
        FreeLibrary(module);
    }
}

TEST(LibraryLoading, AbsentLibraryIsNoLibrary) {
    EXPECT_EQ(win32::LoadSystemLibrary(L"vtl-no-such-library.dll"), nullptr);
    EXPECT_EQ(win32::LoadProgramLibrary(L"vtl-no-such-library.dll"), nullptr);
}

}  // namespace
}  // namespace vtl
