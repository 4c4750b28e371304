// The patch mode: a new centre frequency and bandwidth written into many
// recordings, each checked as read back, with a line per file and a summary.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/options.h"
#include "cli/path_walk.h"
#include "cli/recording.h"

namespace kalimber {

enum class PatchResult { Patched, WouldPatch, Unchanged, Refused, Failed };

struct PatchValues {
    std::uint32_t CenterFreq = 0;
    std::uint32_t Bandwidth = 0;
    bool operator==(const PatchValues&) const = default;
};

// What a patch did to one file. Before is none where the file could not be
// opened or was refused; After is what the file holds where that is known.
struct PatchOutcome {
    std::string Text;
    PatchResult Result = PatchResult::Failed;
    std::optional<PatchValues> Before;
    std::optional<PatchValues> After;
    std::string Error;
    bool CenterFreqAsked = false;  // which values the line shows
    bool BandwidthAsked = false;
};

// True when the outcome is a file that could not be opened at all.
bool Unopened(const PatchOutcome& outcome);

struct PatchTally {
    int Patched = 0;  // or, with --dry-run, would be
    int Unchanged = 0;
    int Refused = 0;
    int Failed = 0;
};

void Count(PatchTally& tally, PatchResult result);

// A patched file: what the patch did, and the recording as the file now
// stands (loaded in the same one open).
struct PatchedFile {
    PatchOutcome Outcome;
    Recording Now;
};

// Patches one file as the options say. The file is opened once, and closed
// again before this returns.
PatchedFile PatchFile(const FoundPath& found, const CommandLineOptions& options);

// "20 patched, 0 unchanged, 1 refused, 0 failed" on the error sink.
void PrintPatchSummary(const PatchTally& tally, bool dryRun);

}  // namespace kalimber
