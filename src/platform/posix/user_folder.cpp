#include "platform/posix/user_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vtl::posix {

std::vector<std::string> TempCandidates(const char* xdgRuntimeDir, const char* tmpDir) {
    std::vector<std::string> candidates;
    for (const char* value : {xdgRuntimeDir, tmpDir, "/tmp"}) {
        if (!value || value[0] != '/') continue;
        std::string folder = value;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (std::find(candidates.begin(), candidates.end(), folder) == candidates.end()) candidates.push_back(folder);
    }
    return candidates;
}

std::vector<FolderAttempt> PlanAttempts(const std::vector<std::string>& candidates) {
    std::vector<FolderAttempt> attempts;
    for (const bool fresh : {false, true})
        for (const std::string& base : candidates) attempts.push_back({base, fresh});
    return attempts;
}

std::string UserFolderName(const std::string& base, uid_t uid) {
    return (base == "/" ? std::string() : base) + "/vtl3d-" + std::to_string(uid);
}

FolderVerdict JudgeUserFolder(const UserFolderFacts& facts, uid_t uid) {
    if (facts.makeError != 0) return FolderVerdict::cannotMake;
    if (facts.baseOpenToOthers) return FolderVerdict::unsafeBase;
    if (facts.isLink) return FolderVerdict::link;
    if (!facts.isFolder) return FolderVerdict::notFolder;
    if (facts.owner != uid) return FolderVerdict::foreignOwner;
    if ((facts.mode & 022) != 0) return FolderVerdict::writableByOthers;
    if ((facts.mode & 0777) != 0700) return FolderVerdict::makePrivate;
    return FolderVerdict::use;
}

std::string DescribeRefusal(FolderVerdict verdict, const std::string& path, int makeError) {
    switch (verdict) {
        case FolderVerdict::use:
        case FolderVerdict::makePrivate: return {};
        case FolderVerdict::cannotMake: return path + " cannot be made (" + std::strerror(makeError) + ")";
        case FolderVerdict::unsafeBase:
            return path + " lies in a folder that others can write to without the sticky bit";
        case FolderVerdict::link: return path + " is a link";
        case FolderVerdict::notFolder: return path + " is not a folder";
        case FolderVerdict::foreignOwner: return path + " belongs to another user";
        case FolderVerdict::writableByOthers: return path + " can be written by others";
    }
    return path + " cannot be used";
}

UserFolderFacts ProbeUserFolder(const std::string& base, const std::string& path) {
    UserFolderFacts facts;
    struct stat st {};
    if (::stat(base.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 022) != 0 && (st.st_mode & S_ISVTX) == 0)
        facts.baseOpenToOthers = true;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        facts.makeError = errno;
        return facts;
    }
    if (::lstat(path.c_str(), &st) != 0) {
        facts.makeError = errno;
        return facts;
    }
    facts.isLink = S_ISLNK(st.st_mode);
    facts.isFolder = S_ISDIR(st.st_mode);
    facts.owner = st.st_uid;
    facts.mode = st.st_mode & 07777;
    return facts;
}

bool TightenUserFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // Checked again on the open folder: the one we change is the one we judged.
    const bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0 &&
                    fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok;
}

std::string MakeFreshUserFolder(const std::string& base, uid_t uid) {
    std::string pattern = UserFolderName(base, uid) + ".XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace vtl::posix
