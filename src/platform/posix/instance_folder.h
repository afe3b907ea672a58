#pragma once
// A private folder for one running instance of the hack, inside the user's per-user
// folder (see user_folder.h), so that instances started side by side (one per monitor,
// a settings preview beside a running saver) never unpack into or clear each other's
// files. Each instance holds an flock on a file in its own folder for as long as it
// lives: the kernel lets go of it when the process dies, however it dies, so the next
// start of the same user can tell a killed instance's folder from a live one and
// clear only the first. The per-user folder has a lock of its own, held only while an
// instance folder is made, stale ones are cleared or the last instance removes the
// per-user folder itself, so those steps never cross.
//
// The same folder carries the sound claim: one lock file per display, taken by the
// instance that plays the city there; the others keep drawing silently and try again.
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace vtl::posix {

class InstanceFolder {
public:
    // Opens an instance folder in the first per-user folder that can be used among the
    // candidates (TempCandidates), named ones first, fresh ones after. `refusals`
    // receives one line for every folder passed over and why. Nothing when none works.
    static std::unique_ptr<InstanceFolder> Open(const std::vector<std::string>& candidates, uid_t uid,
                                                std::vector<std::string>& refusals);
    ~InstanceFolder();
    InstanceFolder(const InstanceFolder&) = delete;
    InstanceFolder& operator=(const InstanceFolder&) = delete;

    const std::string& UserFolder() const { return user_; }
    // This instance's own folder: what is put into it (files, folders of files) goes
    // with it.
    const std::string& Folder() const { return run_; }
    // Whether the per-user folder is the named one the user's other instances share
    // (not a fresh one that only this instance knows).
    bool Shared() const { return !fresh_; }

    // Takes the sound of `display` (an instance draws on one) when no live instance
    // holds it; true while ours.
    bool TryClaimSound(const std::string& display);
    bool HoldsSound() const { return soundFd_ >= 0; }

    // Lets go of the sound, removes this instance's folder and, when no other instance
    // is left, the per-user folder too. Safe to call twice; the destructor calls it.
    void Close();

private:
    InstanceFolder(std::string user, std::string run, bool fresh, int liveFd)
        : user_(std::move(user)), run_(std::move(run)), fresh_(fresh), liveFd_(liveFd) {}
    static std::unique_ptr<InstanceFolder> OpenIn(const std::string& user, bool fresh, std::string& why,
                                                  bool& lockLost);

    std::string user_;
    std::string run_;
    bool fresh_ = false;
    int liveFd_ = -1;
    int soundFd_ = -1;
};

// The name of a display's sound claim in the per-user folder: the display without its
// screen number (one soundscape per display, whichever screen draws), any character
// that is not plainly safe in a file name replaced.
std::string SoundClaimName(const std::string& display);

// Removes the folders of instances that are no longer alive from a per-user folder;
// returns how many. The caller holds the per-user lock.
int ClearStaleInstances(const std::string& userFolder);

}  // namespace vtl::posix
