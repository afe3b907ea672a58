#pragma once
// One run of the hack: the scene on the window's OpenGL context, the city's sound
// through OpenAL, frames paced by the TimingFPS setting, until a signal, the window's
// end or a setup that cannot show the scene.
#include <csignal>

#include "app/hack/hack_options.h"

namespace vtl::hack {

// Set by the signal handlers (SIGTERM from XScreenSaver, SIGINT, SIGHUP).
extern volatile std::sig_atomic_t g_stopSignal;

// The process's exit code: 0 after a normal end, 1 when the scene could not be shown
// (the reason is on stderr). Errors raised by setup propagate.
int RunHack(const HackOptions& options);

}  // namespace vtl::hack
