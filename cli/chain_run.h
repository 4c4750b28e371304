// The chains' loop of the command line: each chain's files reported or patched
// in turn, then its section as the files now stand.
#pragma once

#include "cli/options.h"
#include "cli/patch.h"
#include "cli/repair.h"
#include "cli/write_log.h"
#include "cli/writers.h"

namespace kalimber {

// Each file is taken in once: loaded, or patched and loaded in the same
// open; a patch's line waits for its file's turn in the chain. False when a
// file or a link fails.
bool ReportOrPatchChains(const CommandLineOptions& options, const Writer& writer, Console& console,
                         const FilePlans& plans, WriteLog* log, PatchTally& patched);

}  // namespace kalimber
