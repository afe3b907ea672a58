#include "app/saver/win32/settings_form_help.h"

#include <shellapi.h>

#include <string>

#include "app/saver/hostservices.h"
#include "platform/files.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"
#include "settings/settingsform_logic.h"

namespace vtl::win32 {
namespace {

constexpr UINT kHtmlHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kHtmlHelpCloseAll = 0x0012;      // HH_CLOSE_ALL

}  // namespace

HtmlHelp::~HtmlHelp() {
    if (entry_) entry_(nullptr, nullptr, kHtmlHelpCloseAll, 0);
}

void HtmlHelp::Load() {
    if (HMODULE library = LoadSystemLibrary(L"HHCtrl.ocx"))
        entry_ = reinterpret_cast<HtmlHelpAProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
}

void HtmlHelp::ShowStartPage(IRegistry& registry) const {
    const std::string file = HelpTopicPath(GetInstallFolder(registry, ExecutablePath()));
    if (!entry_) return;
    // Owned by the desktop, so the help stays open when the dialog closes.
    entry_(GetDesktopWindow(), AnsiFromUtf8(file).c_str(), kHtmlHelpDisplayTopic, 0);
}

void OpenWebShortcut(IRegistry& registry) {
    const std::string program = ExecutablePath();
    const std::string shortcut =
        WebShortcutPath(GetInstallFolder(registry, program), FolderOfProgram(program), FileExists);
    ShellExecuteW(nullptr, L"open", Widen(shortcut).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vtl::win32
