#pragma once
// The hack's place among its user's other instances: its own unpacking folder, and
// whether it is the one that plays the city on its display. XScreenSaver runs one hack
// per monitor and its settings preview beside a running saver; each draws, one sounds.
#include <cstdint>
#include <memory>
#include <string>

#include "app/hack/hack_options.h"
#include "platform/posix/instance_folder.h"

namespace vtl::hack {

// This instance's folder, from $XDG_RUNTIME_DIR, $TMPDIR or /tmp (the first that gives
// a private one); every folder passed over is said once on stderr, with the reason.
// Nothing when no candidate works (that is said too). The folder is also closed by
// CloseInstanceAtExit.
std::unique_ptr<posix::InstanceFolder> OpenInstanceFolder();

// For an end that skips the destructors (the X display went away): lets go of the
// sound and removes the instance's folder.
void CloseInstanceAtExit();

// The display whose sound this instance may claim: -display, else $DISPLAY.
std::string DisplayOf(const HackOptions& options);

// Starts the city's sound once this instance holds its display's sound claim, and
// keeps trying while another instance holds it, so that when that one ends this one
// takes over within a second.
class SoundTurn {
public:
    SoundTurn(posix::InstanceFolder& instance, std::string display, void (*startSound)())
        : instance_(instance), display_(std::move(display)), startSound_(startSound) {}
    // True when this call started the sound.
    bool Poll(std::uint32_t now);
    bool Sounding() const { return instance_.HoldsSound(); }

    static constexpr std::uint32_t kRetryMs = 1000;

private:
    posix::InstanceFolder& instance_;
    std::string display_;
    void (*startSound_)();
    bool tried_ = false;
    std::uint32_t nextTry_ = 0;
};

}  // namespace vtl::hack
