#include "app/win32/runsaver.h"

void RunSaver(vtl::IRegistry&, vtl::IHostFolders&) {}
