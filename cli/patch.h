// The patch mode: fields written into many recordings, each checked as read
// back, with a line per file and a summary.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/path_walk.h"
#include "cli/recording.h"
#include "platform/platform.h"
#include "cli/repair.h"

namespace kalimber {

enum class PatchResult { Patched, WouldPatch, Unchanged, Refused, Failed, Skipped };

// What a patch did to one file. Before is none where the file could not be
// opened, was refused or skipped; After is what the file holds where that
// is known.
struct PatchOutcome {
    std::string Text;
    PatchResult Result = PatchResult::Failed;
    std::optional<RecordingHeader> Before;
    std::optional<RecordingHeader> After;
    std::vector<const FieldRow*> Fields;  // the fields the line names
    std::string Error;                    // why it failed or was refused, or why it was skipped
};

// True when the outcome is a file that could not be opened at all.
bool Unopened(const PatchOutcome& outcome);

// The fields a record of the outcome holds: those its line names, and
// CenterFreq and Bandwidth both where either is among them.
std::vector<const FieldRow*> RecordFields(const PatchOutcome& outcome);

struct PatchTally {
    int Patched = 0;  // or, with --dry-run, would be
    int Unchanged = 0;
    int Refused = 0;
    int Failed = 0;
    int Skipped = 0;
};

void Count(PatchTally& tally, PatchResult result);

// A patched file: what the patch did, and the recording as the file now
// stands (loaded in the same one open).
struct PatchedFile {
    PatchOutcome Outcome;
    Recording Now;
};

// Bytes of the header written in one write.
struct ByteRun {
    std::size_t Offset = 0;
    std::size_t Length = 0;
};

// Where a write mode keeps the record that undoes it (--log), or none.
struct WriteLog;

// Works out a file's edit from the recording as the file holds it.
using PlanFile = std::function<PlannedEdit(const Recording&)>;

// A file opened (for update unless a dry run), locked, read and planned:
// File is still open where it is to be written, and closed otherwise, with
// its outcome told (unchanged, refused, skipped, could not be opened).
struct PreparedFile {
    FoundPath Found;
    PatchedFile Patched;
    std::FILE* File = nullptr;
    RecordingHeader After{};
    std::vector<ByteRun> Runs;
    bool KeepTime = false;
    FileTime Modified;
};

PreparedFile PrepareFile(const FoundPath& found, const CommandLineOptions& options, const PlanFile& plan);

// True where the prepared file is to be written.
bool ToWrite(const PreparedFile& prepared);

// Appends its intent to the log, synced where durable.
bool LogIntent(WriteLog& log, const PreparedFile& prepared, bool durable);

// Writes a prepared file (where its intent is logged, with a log), syncs,
// reads it back, closes it and logs its outcome.
PatchedFile FinishFile(PreparedFile& prepared, WriteLog* log, bool logged);

// The two in one, its intent made durable alone.
PatchedFile EditFile(const FoundPath& found, const CommandLineOptions& options, const PlanFile& plan, WriteLog* log);

// Patches one file as the options say, with what the pass before the
// writes found for it in plans (null where none was needed).
PatchedFile PatchFile(const FoundPath& found, const CommandLineOptions& options, const FilePlans* plans = nullptr,
                      WriteLog* log = nullptr);

// The files a tally counts.
int Taken(const PatchTally& tally);

// "20 patched, 0 unchanged, 1 refused, 0 failed", ", 3 skipped" where
// --where picks the files, then ending: the writer's summary of a patch.
std::string PatchSummary(const PatchTally& tally, const CommandLineOptions& options, const std::string& ending = "");

}  // namespace kalimber
