// The patch mode: a new centre frequency and bandwidth written into many
// recordings, each checked as read back, with a line per file and a summary.
#pragma once

#include "cli/options.h"
#include "cli/path_walk.h"

namespace kalimber {

struct PatchTally {
    int Patched = 0;  // or, with --dry-run, would be
    int Unchanged = 0;
    int Refused = 0;
    int Failed = 0;
};

// Patches one file as the options say, tells the result, and counts it.
// The file is closed again before this returns.
void PatchRecording(const FoundPath& found, const CommandLineOptions& options, PatchTally& tally);

// "20 patched, 0 unchanged, 1 refused, 0 failed" on the error sink.
void PrintPatchSummary(const PatchTally& tally, bool dryRun);

}  // namespace kalimber
