#pragma once
#include "platform/registry.h"

// The settings dialog as the application's main window; returns when it closes.
int RunSettingsDialog(vtl::IRegistry& registry);
