// Stands in for the X server's power management, for the dark-monitor test on a server
// that has none (Xvfb, and X.Org's dummy driver, which offers no DPMS): preloaded into
// the hack, it answers the two questions the hack asks from a file the test writes,
// "off" or anything else for on. The real query is a few lines over these two calls;
// what this covers is everything the hack does with the answer.
#include <cstdio>
#include <cstdlib>
#include <cstring>

// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
// clang-format on

namespace {

bool MonitorOff() {
    const char* path = std::getenv("VTL_DPMS_STANDIN");
    std::FILE* file = path ? std::fopen(path, "r") : nullptr;
    if (!file) return false;
    char word[8] = {};
    const bool off = std::fgets(word, sizeof word, file) && std::strncmp(word, "off", 3) == 0;
    std::fclose(file);
    return off;
}

}  // namespace

extern "C" {

Bool DPMSQueryExtension(Display*, int* eventBase, int* errorBase) {
    *eventBase = 0;
    *errorBase = 0;
    return True;
}

Status DPMSInfo(Display*, CARD16* level, BOOL* enabled) {
    *level = MonitorOff() ? DPMSModeOff : DPMSModeOn;
    *enabled = True;
    return 1;
}

}  // extern "C"
