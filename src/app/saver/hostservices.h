#pragma once
// The host's saver-password services and the install folder. The decisions live
// here; the library loading and the cursor are the platform's (platform/password.h).
#include <cstdint>
#include <optional>
#include <string>

#include "platform/files.h"  // FolderOfProgram
#include "platform/password.h"
#include "platform/registry.h"

namespace vtl {

inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel 3D Screensaver_is1";
inline constexpr const char* kAppPathValue = "Inno Setup: App Path";

// True when the saver may end.
bool VerifySaverPassword(IRegistry& registry, IPasswordHost& host, std::intptr_t owner);

// Whether a saver password is in force, from the desktop key's values. A value the
// program cannot read as an integer counts as protection: the password dialog is
// then shown where the host has one, rather than a protected saver ending freely.
bool SaverPasswordInForce(IRegistryKey& desktop);

// The installer's folder (machine key, then user key), else the program's folder.
std::string GetInstallFolder(IRegistry& registry, const std::string& programPath);

}  // namespace vtl
