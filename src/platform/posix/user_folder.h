#pragma once
// The per-user folder a program unpacks under when several of its instances may run
// at once and the temporary folder may be shared with other, hostile, users. The
// choice is split in two: what was found at a folder's name (facts, from the system)
// and what that means (a verdict, pure), so the rules can be tested without other
// users or read-only file systems at hand.
#include <sys/types.h>

#include <string>
#include <vector>

namespace vtl::posix {

// The temporary folders to try, best first: $XDG_RUNTIME_DIR (the session's own,
// private and cleared at log-out), then $TMPDIR, then /tmp. Only absolute paths count;
// none twice; no trailing '/'. Null or empty variables are left out.
std::vector<std::string> TempCandidates(const char* xdgRuntimeDir, const char* tmpDir);

// One try at a per-user folder: the named one, <base>/vtl3d-<uid>, which every
// instance of the user finds and shares, or, when no named one can be used, a fresh
// one made by mkdtemp, which nobody can have planted but nobody else finds either.
struct FolderAttempt {
    std::string base;
    bool fresh = false;
};
// Every named folder in candidate order, then every fresh one.
std::vector<FolderAttempt> PlanAttempts(const std::vector<std::string>& candidates);

std::string UserFolderName(const std::string& base, uid_t uid);

// What was found at the named folder's name after trying to make it.
struct UserFolderFacts {
    int makeError = 0;              // errno of mkdir when it failed for another reason than EEXIST
    bool baseOpenToOthers = false;  // others may rename entries in the base: writable, not sticky
    bool isLink = false;
    bool isFolder = false;
    uid_t owner = 0;
    mode_t mode = 0;  // permission bits only
};

enum class FolderVerdict {
    use,               // ours and private
    makePrivate,       // ours, and no one else can write into it, but it is readable or not writable by us
    cannotMake,        // missing and could not be made (no base, read-only, no room)
    unsafeBase,        // others could swap the folder for a link of theirs
    link,              // a link, never followed
    notFolder,         // a file or other entry
    foreignOwner,      // planted by another user
    writableByOthers,  // ours, but others may have put entries (links) into it
};

FolderVerdict JudgeUserFolder(const UserFolderFacts& facts, uid_t uid);
inline bool IsUsable(FolderVerdict verdict) {
    return verdict == FolderVerdict::use || verdict == FolderVerdict::makePrivate;
}
// One line on why the folder at path is not used ("" for a usable one).
std::string DescribeRefusal(FolderVerdict verdict, const std::string& path, int makeError);

// Tries to make path (mode 0700) and tells what is there, without following a link.
UserFolderFacts ProbeUserFolder(const std::string& base, const std::string& path);
// Sets a folder of ours to 0700 without following a link; false when it cannot.
bool TightenUserFolder(const std::string& path);
// A fresh private folder <base>/vtl3d-<uid>.XXXXXX; empty when none can be made.
std::string MakeFreshUserFolder(const std::string& base, uid_t uid);

}  // namespace vtl::posix
