// The steps each loop of the command line takes for a file: the record or the
// patch to the writer, errors told, the count for the progress line, the ends.
#pragma once

#include <cstdint>
#include <optional>

#include "cli/chain.h"
#include "cli/options.h"
#include "cli/patch.h"
#include "cli/progress.h"
#include "cli/path_walk.h"
#include "cli/recording.h"
#include "cli/write_log.h"
#include "cli/writers.h"

namespace kalimber {

// How one file of a report came out, for the summary line.
enum class ReportOutcome { Recording, NotOrva, UnsupportedVersion, Truncated, Unreadable };

// "kalimber: d: no .wav files" on standard error.
void SayNoWavFiles(Console& console, const FoundPath& folder);

// One recording to the writer; a path that cannot be read is told on
// standard error in every form, and to the writer too (JSON and CSV keep a
// record of it).
ReportOutcome WriteRecord(const Writer& writer, Console& console, const Recording& recording,
                          const ChainColumns* columns);

// One patch to the writer, counted; a file that could not be opened is
// told on standard error in every form.
void WritePatch(const Writer& writer, Console& console, const PatchOutcome& outcome, PatchTally& tally);

// How many paths the walk will hand on, for the progress line; only
// walked where the line can be shown.
std::uint64_t CountPaths(const CommandLineOptions& options, const Console& console);

// After an interrupt: the summary, ", interrupted after N of M files" (under
// -q too: it says where the run stopped), and the status of the signal (130
// for SIGINT); -1 where none came.
// total: the files the run had to take, where it knows them (an undo's log);
// else the walk counts them.
int EndInterrupted(const CommandLineOptions& options, Console& console, const PatchTally& tally,
                   std::optional<std::uint64_t> total = std::nullopt);

// True while the log takes each write's record; told once where it fails,
// and the run stops before the next file.
bool LogHolds(Console& console, WriteLog* log);

}  // namespace kalimber
