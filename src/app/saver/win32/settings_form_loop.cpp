// The settings dialog as the application's main window: its message loop, which
// lets the dialog manager have the dialog's keys and turns F1 into the form's help.
#include <windows.h>

#include "app/saver/win32/settings_form.h"

int RunSettingsDialog(vtl::IRegistry& registry) {
    HWND dialog = vtl::win32::CreateSettingsDialog(registry);
    if (!dialog) return 0;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool inDialog = IsWindow(dialog) && (message.hwnd == dialog || IsChild(dialog, message.hwnd));
        // F1 anywhere in the dialog asks for the form's help, through the dialog's own
        // handling of errors.
        if (inDialog && message.message == WM_KEYDOWN && message.wParam == VK_F1) {
            SendMessageW(dialog, vtl::win32::kShowHelpMessage, 0, 0);
            continue;
        }
        if (inDialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
