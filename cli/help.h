// The command line's help: a hand-written text of the modes, the options in
// groups with their defaults, the value forms, the exit statuses and examples.
#pragma once

namespace kalimber {

// The whole text of kalimber --help, every line within 80 columns.
extern const char* const HelpText;

}  // namespace kalimber
