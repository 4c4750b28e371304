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

void SayNoWavFiles(Console& console, const FoundPath& folder) {
    TellError(console, folder.Text + ": " + NoWavFilesReason);
}

ReportOutcome WriteRecord(const Writer& writer, Console& console, const Recording& recording, const ChainColumns* columns) {
    if (!recording.Error.empty()) {
        TellError(console, recording.Text + ": " + recording.Error);
        writer.Error(recording.Text, recording.Error, columns);
        return ReportOutcome::Unreadable;
    }
    writer.Record(recording, columns);
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

void WritePatch(const Writer& writer, Console& console, const PatchOutcome& outcome, PatchTally& tally) {
    Count(tally, outcome.Result);
    if (Unopened(outcome)) {
        TellError(console, outcome.Text + ": " + outcome.Error);
    }
    writer.Patch(outcome);
}

std::uint64_t CountPaths(const CommandLineOptions& options, const Console& console) {
    std::uint64_t paths = 0;
    if (console.ShowsProgress) {
        WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
            paths += !found.NoWavFiles;
            return true;
        });
    }
    return paths;
}

int EndInterrupted(const CommandLineOptions& options, Console& console, const PatchTally& tally,
                   std::optional<std::uint64_t> total) {
    const int signal = InterruptSignal();
    if (signal == 0) {
        return -1;
    }
    std::uint64_t files = total.value_or(0);
    if (!total) {  // the files named and those of the folders named
        WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
            files += !found.NoWavFiles;
            return true;
        });
    }
    const std::uint64_t taken = static_cast<std::uint64_t>(Taken(tally));
    TellLine(console, PatchSummary(tally, options,
                                   ", interrupted after " + std::to_string(taken) + " of " +
                                       std::to_string(std::max(files, taken)) + " files"));
    return 128 + signal;
}

bool LogHolds(Console& console, WriteLog* log) {
    if (log == nullptr || log->Error.empty()) {
        return true;
    }
    if (log->File != nullptr) {
        TellError(console, log->Error + "; the run stops before the next file");
        CloseLog(*log);
    }
    return false;
}

}  // namespace kalimber
