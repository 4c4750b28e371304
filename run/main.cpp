// The kalimber program: one run, then idle with the output left on the
// console until the process is interrupted, terminated or its console closed.
#include "run/run.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>

#include <unistd.h>
#endif

namespace {

// Blocks for good without using the CPU. Ctrl-C, closing the console or a
// termination signal end the process through the system's default handling.
[[noreturn]] void IdleForever() {
#if !defined(_WIN32)
    // A parent may have left these ignored; the idle state must still end on them.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#endif
    for (;;) {
#if defined(_WIN32)
        Sleep(INFINITE);
#else
        pause();
#endif
    }
}

}  // namespace

int main() {
    kalimber::Run();
    IdleForever();
}
