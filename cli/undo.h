// --undo: each file a log names, newest first, given back its old bytes
// where it still holds the new ones.
#pragma once

#include "cli/repair.h"
#include "cli/write_log.h"

namespace kalimber {

// The undo of one logged write, worked out on the file as it now stands:
// each run that holds its new bytes gets its old ones back, a run that
// holds its old bytes stays, and a file with any other bytes there is
// refused as changed since the log.
PlannedEdit PlanUndo(const Recording& now, const LoggedWrite& write);

}  // namespace kalimber
