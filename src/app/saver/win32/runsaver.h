#pragma once
#include "platform/host.h"
#include "platform/registry.h"

// The full-screen saver: returns when it has ended and cleaned up.
void RunSaver(vtl::IRegistry& registry, vtl::IHostFolders& folders);
