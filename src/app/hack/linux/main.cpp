// vtl3d: the saver's scene and sound as an XScreenSaver hack.
#include <signal.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/hack/hack_options.h"
#include "app/hack/linux/hack_run.h"

namespace {

void OnStopSignal(int signal) { vtl::hack::g_stopSignal = signal; }

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the loop's wait ends at the signal
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
    // A vanished X connection is reported by Xlib; a closed pipe must not kill us first.
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = "vtl3d";
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto parsed = vtl::ParseHackOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!parsed.options) {
        std::cerr << program << ": " << parsed.error << "\n\n" << vtl::HackUsage(program);
        return 1;
    }
    if (parsed.options->help) {
        std::cout << vtl::HackUsage(program);
        return 0;
    }
    for (const std::string& warning : parsed.options->warnings) std::cerr << program << ": " << warning << '\n';
    CatchStopSignals();
    try {
        return vtl::hack::RunHack(*parsed.options);
    } catch (const std::exception& error) {
        std::cerr << program << ": " << error.what() << '\n';
        return 1;
    }
}
