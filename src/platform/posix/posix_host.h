#pragma once
// POSIX host services: where a program's data lies, the temporary folder, a monotonic
// tick count and the user's decimal separator.
#include <string>
#include <utility>

#include "platform/host.h"

namespace vtl::posix {

// The data is looked for beside the program first (a build tree, a copy anywhere),
// then in the shared data folder a package installs it to: the install folder is the
// program's own when `marker` lies beside it.
class PosixFolders : public IHostFolders {
public:
    PosixFolders(std::string marker, std::string sharedDataFolder)
        : marker_(std::move(marker)), sharedDataFolder_(std::move(sharedDataFolder)) {}
    std::string InstallFolder() override;
    std::string TempFolder() override;  // $TMPDIR when it names a folder, else /tmp/

private:
    std::string marker_;
    std::string sharedDataFolder_;
};

class MonotonicClock : public IClock {
public:
    std::uint32_t TickCount() override;
};

// The LC_NUMERIC decimal separator of the user's locale, without changing the
// program's own locale (its number formatting stays "C").
std::string UserDecimalSeparator();

}  // namespace vtl::posix
