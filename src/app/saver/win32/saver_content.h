#pragma once
// What the saver shows and plays, built from the Windows implementations of the
// seams: the scene on Direct3D 8 with the d3d8ex texture loader, and the ambient
// sound on the best audio back end with window-message timers.
#include <windows.h>

#include <memory>
#include <vector>

#include "app/common/display_watch.h"
#include "platform/host.h"
#include "platform/registry.h"

namespace vtl::win32 {

class SaverContent {
public:
    SaverContent(IRegistry& registry, IHostFolders& folders);
    ~SaverContent();
    SaverContent(const SaverContent&) = delete;
    SaverContent& operator=(const SaverContent&) = delete;

    // The scene's clock reads through the watch (it stands still while paused); before
    // SetupScene.
    void UseDisplayWatch(const DisplayWatch& watch);
    // mirrored: the frames are to be shown on other monitors' windows too (SetMirrors).
    void SetupScene(HWND window, int width, int height, bool mirrored);
    void SetMirrors(const std::vector<HWND>& windows);
    void RenderFrame();
    void ReleaseScene();
    void StartSound();
    void StopSound();
    void PauseSound(bool paused);
    // Stops the ambience if one of its events failed (its error has been shown).
    void StopFailedSound();
    // Runs the sound timers that are due, whether or not their messages came.
    void ServeDueTimers();
    // Whether a sound error's box is open; any thread may ask.
    static bool ShowingError();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace vtl::win32
