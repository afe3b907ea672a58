#pragma once
// The host services of the Linux program: where the packs lie, the temporary folder,
// a monotonic tick count and the user's decimal separator.
#include <string>

#include "platform/host.h"

namespace vtl::linuxapp {

inline constexpr const char* kSharedDataFolder = "/usr/share/vtl3d";

// The packs are looked for beside the program first (a build tree, a copy anywhere),
// then in the shared data folder the package installs them to.
class LinuxFolders : public IHostFolders {
public:
    std::string InstallFolder() override;
    std::string TempFolder() override;  // $TMPDIR when it names a folder, else /tmp/
};

class MonotonicClock : public IClock {
public:
    std::uint32_t TickCount() override;
};

// The LC_NUMERIC decimal separator of the user's locale, without changing the
// program's own locale (its number formatting stays "C").
std::string UserDecimalSeparator();

}  // namespace vtl::linuxapp
