// The tool's banner: the rule line, "ORVA Kalimber Ver: 1.0" with the
// version from CMake, and a rule line. Both modes print it.
#pragma once

namespace kalimber {

// The rule line, "ORVA Kalimber Ver: 1.0", a rule line and a blank line.
void PrintBanner();

}  // namespace kalimber
