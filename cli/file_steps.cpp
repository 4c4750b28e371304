// The steps each loop of the command line takes for a file, shared by the
// report, the patch, the undo and the chains.
#include "cli/file_steps.h"

#include <algorithm>
#include <string>

#include "cli/progress.h"
#include "header/print.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "platform/write_guard.h"

namespace kalimber {

void SayNoWavFiles(const FoundPath& folder) {
    TellError(folder.Text + ": " + NoWavFilesReason);
}

// One recording to the writer; a path that cannot be read is told on
// standard error in every form, and to the writer too (JSON and CSV keep a
// record of it).
ReportOutcome WriteRecord(const Writer& writer, WriterState& state, const Recording& recording, const ChainColumns* columns) {
    if (!recording.Error.empty()) {
        TellError(recording.Text + ": " + recording.Error);
        writer.Error(state, recording.Text, recording.Error, columns);
        return ReportOutcome::Unreadable;
    }
    writer.Record(state, recording, columns);
    switch (recording.Check) {
        case RecordingCheck::Ok:
            return ReportOutcome::Recording;
        case RecordingCheck::NotOrva:
            return ReportOutcome::NotOrva;
        case RecordingCheck::UnsupportedVersion:
            return ReportOutcome::UnsupportedVersion;
        case RecordingCheck::Truncated:
            break;
    }
    return ReportOutcome::Truncated;
}

// One patch to the writer, counted; a file that could not be opened is
// told on standard error in every form.
void WritePatch(const Writer& writer, WriterState& state, const PatchOutcome& outcome, PatchTally& tally) {
    Count(tally, outcome.Result);
    if (Unopened(outcome)) {
        TellError(outcome.Text + ": " + outcome.Error);
    }
    writer.Patch(state, outcome);
}

// How many paths the walk will hand on, for the progress line; only
// walked where the line can be shown.
std::uint64_t CountPaths(const CommandLineOptions& options) {
    std::uint64_t paths = 0;
    if (!options.Quiet && IsTerminal(ErrorStream())) {
        WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
            paths += !found.NoWavFiles;
            return true;
        });
    }
    return paths;
}

// After an interrupt: the summary, ", interrupted after N of M files", and
// the status of the signal (130 for SIGINT); -1 where none came.
int EndInterrupted(const CommandLineOptions& options, const PatchTally& tally) {
    const int signal = InterruptSignal();
    if (signal == 0) {
        return -1;
    }
    std::uint64_t files = 0;  // the files named and those of the folders named
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        files += !found.NoWavFiles;
        return true;
    });
    const std::uint64_t taken = static_cast<std::uint64_t>(Taken(tally));
    PrintPatchSummary(tally, options,
                      ", interrupted after " + std::to_string(taken) + " of " +
                          std::to_string(std::max(files, taken)) + " files");
    return 128 + signal;
}

// True while the log takes each write's record; told once where it fails,
// and the run stops before the next file.
bool LogHolds(WriteLog* log) {
    if (log == nullptr || log->Error.empty()) {
        return true;
    }
    if (log->File != nullptr) {
        TellError(log->Error + "; the run stops before the next file");
        CloseLog(*log);
    }
    return false;
}

}  // namespace kalimber
