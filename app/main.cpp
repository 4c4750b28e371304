// The kalimber program. Without arguments: one ToDoWave.txt run, then idle
// with the output left on the console until the process is ended from outside.
// With arguments: the command-line mode, which exits with a status.
#include "cli/command_line.h"
#include "platform/platform.h"
#include "run/run.h"

int main(int argc, char** argv) {
    // Before any file is opened: a closed standard output must never become a recording.
    kalimber::OpenClosedStandardDescriptors();
    if (argc > 1) {
        return kalimber::RunCommandLine(kalimber::CommandLineArguments(argc, argv));
    }
    kalimber::Run();
    kalimber::IdleForever();
}
