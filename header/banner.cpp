// Prints the banner through the print layer, so that it goes wherever the
// output goes and counts as output like the rest.
#include "header/banner.h"

#include "version.h"
#include "header/print.h"

namespace kalimber {

void PrintBanner() {
    Print("%s", RuleLine);
    Print("ORVA Kalimber Ver: %d.%d", VersionMajor, VersionMinor);
    Print("\n%s\n", RuleLine);
}

}  // namespace kalimber
