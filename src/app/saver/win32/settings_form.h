#pragma once
#include <windows.h>

#include "platform/registry.h"

namespace vtl::win32 {

// Sent to the settings dialog: show the help, as F1 and the Help button do.
constexpr UINT kShowHelpMessage = WM_APP + 1;

// The settings dialog, shown, without a message loop of its own; it frees its state
// when destroyed and posts the quit that ends the application. nullptr when it could
// not be created.
HWND CreateSettingsDialog(IRegistry& registry);

}  // namespace vtl::win32

// The settings dialog as the application's main window; returns when it closes.
int RunSettingsDialog(vtl::IRegistry& registry);
