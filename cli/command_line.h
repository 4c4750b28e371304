// The command-line mode: kalimber [OPTIONS] PATH... reports or patches each
// recording, streaming, and exits with a status instead of idling.
#pragma once

#include <string>
#include <vector>

namespace kalimber {

// Runs the mode on the arguments (the program's name not among them) from
// the zero state and returns the exit status. Output goes to the output
// sink, error messages to the error sink. On Windows, a console window that
// the tool owns alone waits for Enter before it closes.
int RunCommandLine(const std::vector<std::string>& arguments);

}  // namespace kalimber
