// The pass before a write mode's first write: every file it will take,
// read, to plan what needs the whole session and to tell what will change.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/progress.h"
#include "cli/repair.h"

namespace kalimber {

struct SessionPlan {
    FilePlans Plans;                   // --relink, and --start with --chain
    std::vector<std::string> Changes;  // a line a field that will be written
    std::size_t Files = 0;             // the files that could be read
    std::size_t Paths = 0;             // without --chain: the paths the walk hands on
};

// True when the run needs the pass: to tell the changes (not under -q), to
// relink, or to start a file or chain at a time.
bool NeedsSessionPlan(const CommandLineOptions& options, const Console& console);

// Reads each file the options name (with --chain, each file of each chain)
// once, read-only, and plans the run from them.
SessionPlan PlanSession(const CommandLineOptions& options, Console& console);

}  // namespace kalimber
