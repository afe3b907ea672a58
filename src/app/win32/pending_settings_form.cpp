#include <windows.h>

#include "app/win32/settings_form.h"

int RunSettingsDialog(vtl::IRegistry&) {
    MessageBoxW(nullptr, L"The settings dialog is not available in this build.", L"Vantorel 3D Screensaver", MB_OK);
    return 0;
}
