#include "app/hack/linux/instance_sound.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "platform/host.h"
#include "platform/posix/user_folder.h"

namespace vtl::hack {
namespace {

posix::InstanceFolder*& OpenedInstance() {
    static posix::InstanceFolder* instance = nullptr;
    return instance;
}

}  // namespace

std::unique_ptr<posix::InstanceFolder> OpenInstanceFolder() {
    const auto candidates = posix::TempCandidates(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"));
    std::vector<std::string> refusals;
    auto instance = posix::InstanceFolder::Open(candidates, geteuid(), refusals);
    if (!refusals.empty()) {
        std::string said;
        for (const std::string& refusal : refusals) said += (said.empty() ? "" : "; ") + refusal;
        if (instance)
            std::cerr << "vtl3d: " << said << "; unpacking into " << instance->UserFolder() << " instead\n";
        else
            std::cerr << "vtl3d: no private folder to unpack into: " << said << '\n';
    }
    OpenedInstance() = instance.get();
    return instance;
}

void CloseInstanceAtExit() {
    if (OpenedInstance()) OpenedInstance()->Close();
}

std::string DisplayOf(const HackOptions& options) {
    if (!options.display.empty()) return options.display;
    const char* display = std::getenv("DISPLAY");
    return display ? display : "";
}

bool SoundTurn::Poll(std::uint32_t now) {
    if (instance_.HoldsSound() || (tried_ && !TickReached(now, nextTry_))) return false;
    tried_ = true;
    nextTry_ = now + kRetryMs;
    if (!instance_.TryClaimSound(display_)) return false;
    startSound_();
    return true;
}

}  // namespace vtl::hack
