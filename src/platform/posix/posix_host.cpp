#include "platform/posix/posix_host.h"

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "platform/files.h"

namespace vtl::posix {

std::string PosixFolders::InstallFolder() {
    const std::string beside = ExecutableFolder();
    if (!beside.empty() && FileExists(beside + "/" + marker_)) return beside;
    return sharedDataFolder_;
}

std::string PosixFolders::TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    struct stat st {};
    if (tmp && *tmp == '/' && ::stat(tmp, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string folder = tmp;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    return "/tmp/";
}

std::uint32_t MonotonicClock::TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::string UserDecimalSeparator() {
    locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (!user) return ".";
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    std::string separator = radix && *radix ? radix : ".";
    freelocale(user);
    return separator;
}

}  // namespace vtl::posix
