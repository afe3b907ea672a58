#pragma once
// Windows side of the host services: the system folder, the saver-password
// libraries and the install and temporary folders.
#include <windows.h>

#include <string>

#include "app/hostservices.h"
#include "platform/files.h"
#include "platform/host.h"

namespace vtl::win32 {

// The system directory with exactly one trailing backslash.
std::string SystemFolderWithSlash();

// Loads "PASSWORD.CPL" from a folder (the system directory unless told otherwise)
// for each verification, as the host expects.
class PasswordHost : public IPasswordHost {
public:
    explicit PasswordHost(std::string libraryFolder = SystemFolderWithSlash())
        : libraryFolder_(std::move(libraryFolder)) {}
    void ShowCursor(bool show) override;
    std::optional<bool> VerifyScreenSavePwd(std::intptr_t owner) override;

private:
    std::string libraryFolder_;
};

// Hands the host's change-password dialog to "MPR.DLL"; does nothing without it.
void ChangeSaverPassword(HWND owner, const std::string& libraryFolder = SystemFolderWithSlash());

class HostFolders : public IHostFolders {
public:
    explicit HostFolders(IRegistry& registry) : registry_(registry) {}
    std::string InstallFolder() override { return GetInstallFolder(registry_, ExecutablePath()); }
    std::string TempFolder() override;

private:
    IRegistry& registry_;
};

}  // namespace vtl::win32
