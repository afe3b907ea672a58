#pragma once
// The saver's folders on Windows: the installer's folder (else the program's own) and
// the system's temporary folder.
#include "app/saver/hostservices.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/win32/win32_host.h"

namespace vtl::win32 {

class HostFolders : public IHostFolders {
public:
    explicit HostFolders(IRegistry& registry) : registry_(registry) {}
    std::string InstallFolder() override { return GetInstallFolder(registry_, ExecutablePath()); }
    std::string TempFolder() override { return SystemTempFolder(); }

private:
    IRegistry& registry_;
};

}  // namespace vtl::win32
