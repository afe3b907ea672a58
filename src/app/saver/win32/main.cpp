// The program's entry: one run mode per process, chosen by the command line.
#include <windows.h>

#include "app/saver/apperror.h"
#include "app/saver/scrutils.h"
#include "app/saver/win32/host_folders.h"
#include "app/saver/win32/preview.h"
#include "app/saver/win32/runsaver.h"
#include "app/saver/win32/settings_form.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace {

using namespace vtl;

// Direct3D 8 is loaded by the renderer later; this only proves it is installed.
bool DirectX8Present() {
    HMODULE d3d8 = win32::LoadSystemLibrary(L"D3D8.DLL");
    if (!d3d8) {
        MessageBoxW(nullptr, L"To run this screen saver you must have at least DirectX 8.0 installed.",
                    L"Unable to run", MB_OK);
        return false;
    }
    FreeLibrary(d3d8);
    return true;
}

// One full-screen saver at a time. The mutex handle goes with the process.
void RunSaverOnce(IRegistry& registry, IHostFolders& folders) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, win32::Widen(kSaverMutexName).c_str());
    const DWORD wait = mutex ? WaitForSingleObject(mutex, 50) : WAIT_FAILED;
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) RunSaver(registry, folders);
    if (mutex) ReleaseMutex(mutex);
}

void ShowApplicationError(const std::exception_ptr& error) {
    const auto report = DescribeException(error);
    std::string module = ExecutablePath();
    module.erase(0, module.find_last_of("\\:") + 1);
    const auto text = FormatApplicationError(report.typeName, module, report.address, report.message);
    MessageBoxW(nullptr, win32::Widen(text).c_str(), win32::Widen(kApplicationErrorCaption).c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
}

int RunOneMode(const ParsedCommandLine& parsed) {
    win32::Win32Registry registry;
    win32::HostFolders folders(registry);
    switch (parsed.mode) {
        case rmSaver:
            if (DirectX8Present()) RunSaverOnce(registry, folders);
            break;
        case rmConfigure:
            if (DirectX8Present()) RunSettingsDialog(registry);
            break;
        case rmPreview: RunPreview(parsed.hostWindow); break;
        case rmChangePassword:
            // The handle travels as a 32-bit integer, the way the host hands it over.
            win32::ChangeSaverPassword(reinterpret_cast<HWND>(static_cast<std::intptr_t>(parsed.hostWindow)));
            break;
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    win32::RemoveCurrentDirectoryFromDllSearch();
    try {
        return RunOneMode(ParseRunMode(win32::Narrow(GetCommandLineW())));
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return 1;
    }
}
