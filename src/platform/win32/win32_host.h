#pragma once
// Windows host services: the system folder, the saver-password libraries and the
// temporary folder.
#include <windows.h>

#include <string>

#include "platform/password.h"

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

// The user's temporary folder as the system gives it, with its trailing backslash;
// empty when the system has none.
std::string SystemTempFolder();

}  // namespace vtl::win32
