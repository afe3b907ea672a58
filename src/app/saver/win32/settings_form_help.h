#pragma once
// What the settings form opens outside itself: the compiled HTML help, through the
// HTML Help entry of HHCtrl.ocx, and the web shortcut installed beside the program,
// through the shell. Neither reports a failure of its own.
#include <windows.h>

#include "platform/registry.h"

namespace vtl::win32 {

class HtmlHelp {
public:
    HtmlHelp() = default;
    // Help windows live in this process and run the library's code: they are closed
    // here, and the library stays loaded until the process ends, so a window that is
    // still closing never calls into unloaded code.
    ~HtmlHelp();
    HtmlHelp(const HtmlHelp&) = delete;
    HtmlHelp& operator=(const HtmlHelp&) = delete;

    // Looks the entry up; without the library or the entry, help does nothing.
    void Load();
    // The help file's start page from the install folder, whatever context was asked.
    void ShowStartPage(IRegistry& registry) const;

private:
    using HtmlHelpAProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HtmlHelpAProc entry_ = nullptr;
};

// Opens "Site.url" from the install folder, else from the program's own folder.
void OpenWebShortcut(IRegistry& registry);

}  // namespace vtl::win32
