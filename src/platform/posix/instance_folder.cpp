#include "platform/posix/instance_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "platform/posix/user_folder.h"

namespace vtl::posix {
namespace {

constexpr const char* kUserLock = ".lock";
constexpr const char* kLiveFile = "live";
constexpr const char* kRunPrefix = "run.";
constexpr const char* kSoundPrefix = "sound-";
// A per-user folder that vanishes under us (its last instance just ended) is made
// again; a few times at most, so a folder that keeps vanishing cannot hold us up.
constexpr int kUserFolderRetries = 5;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The per-user lock, held by the returned descriptor; -1 when it cannot be had or the
// lock file was removed while we waited (the folder is being taken away).
int LockUserFolder(const std::string& user) {
    const std::string path = user + "/" + kUserLock;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            CloseFd(fd);
            return -1;
        }
    }
    struct stat held {
    }, now{};
    if (fstat(fd, &held) != 0 || ::lstat(path.c_str(), &now) != 0 || held.st_ino != now.st_ino ||
        held.st_dev != now.st_dev)
        CloseFd(fd);
    return fd;
}

// An instance folder and what the run put into it: files, and folders of files (the
// scratch folder). Nothing is followed: a link is removed itself.
void RemoveInstanceFolder(const std::string& run, int depth = 2) {
    for (const std::string& name : ListFolder(run)) {
        if (name == "." || name == "..") continue;
        const std::string path = run + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode) && depth > 1)
            RemoveInstanceFolder(path, depth - 1);
        else
            DeleteOneFile(path);
    }
    RemoveOneFolder(run);
}

bool IsOurFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

}  // namespace

std::string SoundClaimName(const std::string& display) {
    std::string name = display;
    const auto colon = name.rfind(':');
    const auto dot = name.rfind('.');
    if (colon != std::string::npos && dot != std::string::npos && dot > colon) name.erase(dot);
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
                           c == '.' || c == '-' || c == '_';
        if (!plain) c = '_';
    }
    return std::string(kSoundPrefix) + name + ".lock";
}

int ClearStaleInstances(const std::string& userFolder) {
    int cleared = 0;
    for (const std::string& name : ListFolder(userFolder)) {
        if (!StartsWith(name, kRunPrefix)) continue;
        const std::string run = userFolder + "/" + name;
        if (!IsOurFolder(run)) continue;
        int fd = ::open((run + "/" + kLiveFile).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        // A live instance holds its file locked. A folder without the file was left by
        // an instance killed while it was made (which happens under the per-user lock,
        // so never by one being made now).
        const bool alive = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        if (!alive) {
            RemoveInstanceFolder(run);
            ++cleared;
        }
        CloseFd(fd);
    }
    return cleared;
}

std::unique_ptr<InstanceFolder> InstanceFolder::OpenIn(const std::string& user, bool fresh, std::string& why,
                                                       bool& lockLost) {
    lockLost = false;
    int lock = LockUserFolder(user);
    if (lock < 0) {
        why = user + ": its lock cannot be taken";
        lockLost = true;
        return nullptr;
    }
    ClearStaleInstances(user);
    std::string run = user + "/" + kRunPrefix + "XXXXXX";
    int live = -1;
    if (::mkdtemp(run.data())) {
        live = ::open((run + "/" + kLiveFile).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (live >= 0 && ::flock(live, LOCK_EX | LOCK_NB) != 0) CloseFd(live);
        if (live < 0) {
            why = run + " cannot be used (" + std::strerror(errno) + ")";
            RemoveInstanceFolder(run);
        }
    } else {
        why = "no folder can be made in " + user + " (" + std::strerror(errno) + ")";
    }
    CloseFd(lock);
    if (live < 0) return nullptr;
    return std::unique_ptr<InstanceFolder>(new InstanceFolder(user, run, fresh, live));
}

std::unique_ptr<InstanceFolder> InstanceFolder::Open(const std::vector<std::string>& candidates, uid_t uid,
                                                     std::vector<std::string>& refusals) {
    for (const FolderAttempt& attempt : PlanAttempts(candidates)) {
        std::string why;
        if (attempt.fresh) {
            const std::string user = MakeFreshUserFolder(attempt.base, uid);
            if (user.empty()) continue;  // the named folder's refusal said why already
            bool lockLost = false;
            if (auto instance = OpenIn(user, true, why, lockLost)) return instance;
            RemoveInstanceFolder(user);
            refusals.push_back(why);
            continue;
        }
        const std::string user = UserFolderName(attempt.base, uid);
        for (int tries = 0; tries < kUserFolderRetries; ++tries) {
            const UserFolderFacts facts = ProbeUserFolder(attempt.base, user);
            const FolderVerdict verdict = JudgeUserFolder(facts, uid);
            if (!IsUsable(verdict)) {
                why = DescribeRefusal(verdict, user, facts.makeError);
                break;
            }
            if (verdict == FolderVerdict::makePrivate && !TightenUserFolder(user)) {
                why = user + " cannot be made private";
                break;
            }
            // A lock lost while we waited: the last instance took the folder away (and
            // someone may have made it anew). Anything else is not cured by trying again.
            bool lockLost = false;
            if (auto instance = OpenIn(user, false, why, lockLost)) return instance;
            if (!lockLost) break;
        }
        if (!why.empty()) refusals.push_back(why);
    }
    return nullptr;
}

InstanceFolder::~InstanceFolder() { Close(); }

bool InstanceFolder::TryClaimSound(const std::string& display) {
    if (soundFd_ >= 0) return true;
    if (run_.empty()) return false;
    const std::string path = user_ + "/" + SoundClaimName(display);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        CloseFd(fd);
        return false;
    }
    soundFd_ = fd;
    return true;
}

void InstanceFolder::Close() {
    if (run_.empty()) return;
    // The sound first, so a silent instance can take it over at once.
    CloseFd(soundFd_);
    int lock = LockUserFolder(user_);
    RemoveInstanceFolder(run_);
    CloseFd(liveFd_);
    if (lock >= 0) {
        bool others = false;
        const std::vector<std::string> names = ListFolder(user_);
        for (const std::string& name : names) others = others || StartsWith(name, kRunPrefix);
        if (!others) {
            // The last one out: the sound claims and the lock go, then the folder.
            // Whoever waits on the lock sees it was removed and makes the folder anew.
            for (const std::string& name : names)
                if (StartsWith(name, kSoundPrefix)) DeleteOneFile(user_ + "/" + name);
            DeleteOneFile(user_ + "/" + kUserLock);
            RemoveOneFolder(user_);
        }
        CloseFd(lock);
    }
    run_.clear();
}

}  // namespace vtl::posix
