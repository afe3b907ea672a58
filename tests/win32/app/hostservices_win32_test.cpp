// Host services against the real registry and real libraries loaded by name.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "app/saver/win32/host_folders.h"
#include "platform/win32/win32_registry.h"

namespace vtl {
namespace {

TEST(HostWin32, SystemFolderEndsWithOneBackslash) {
    const auto folder = win32::SystemFolderWithSlash();
    ASSERT_GE(folder.size(), 4u);
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_NE(folder[folder.size() - 2], '\\');
}

TEST(HostWin32, ProgramPathIsThisTestProgram) {
    const auto path = ExecutablePath();
    EXPECT_NE(path.find("vtl_win32_tests.exe"), std::string::npos) << path;
}

TEST(HostWin32, NoPasswordLibraryMeansNoAnswer) {
    win32::PasswordHost host("C:\\no-such-folder\\");
    EXPECT_FALSE(host.VerifyScreenSavePwd(0).has_value());
}

TEST(HostWin32, LibraryWithoutTheEntryMeansNoAnswer) {
    // Any real library lacking the entry: kernel32 copied under the expected name.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vtl-pwd-test\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring lib = folder + L"PASSWORD.CPL";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\kernel32.dll").c_str(), lib.c_str(), FALSE));
    char narrow[MAX_PATH];
    WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    win32::PasswordHost host(narrow);
    EXPECT_FALSE(host.VerifyScreenSavePwd(0).has_value());
    DeleteFileW(lib.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(HostWin32, InstallFolderFallsBackToTheProgramFolder) {
    win32::Win32Registry registry;
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel 3D Screensaver_is1");
    win32::HostFolders folders(registry);
    auto program = ExecutablePath();
    program.erase(program.find_last_of('\\'));
    EXPECT_EQ(folders.InstallFolder(), program);
    EXPECT_FALSE(folders.TempFolder().empty());
    EXPECT_EQ(folders.TempFolder().back(), '\\');
}

TEST(HostWin32, InstallFolderFromTheUserUninstallKey) {
    HKEY k;
    const wchar_t* path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel 3D Screensaver_is1";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    const wchar_t value[] = L"C:\\Vantorel Test";
    RegSetValueExW(k, L"Inno Setup: App Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(k);
    win32::Win32Registry registry;
    win32::HostFolders folders(registry);
    EXPECT_EQ(folders.InstallFolder(), "C:\\Vantorel Test");
    RegDeleteTreeW(HKEY_CURRENT_USER, path);
}

}  // namespace
}  // namespace vtl
