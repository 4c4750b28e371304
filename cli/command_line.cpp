// Dispatches the command-line mode: options, the walk over the paths, and a
// writer or the patch for each file in turn; library exceptions end here.
#include "cli/command_line.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <string>

#include "cli/chain.h"
#include "cli/chain_run.h"
#include "cli/file_steps.h"
#include "cli/options.h"
#include "cli/patch.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "cli/recording.h"
#include "cli/repair.h"
#include "cli/session_plan.h"
#include "cli/undo.h"
#include "cli/write_log.h"
#include "cli/writers.h"
#include "header/print.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "platform/write_guard.h"

namespace kalimber {
namespace {

struct ReportTally {
    int Files = 0;
    int Counts[5] = {};  // by ReportOutcome
};

// "20 files: 17 recordings, 1 not-orva, 0 unsupported-version, 1 truncated,
// 1 could not be read" (chains end in their sections instead).
std::string SummaryLine(const ReportTally& tally) {
    return std::to_string(tally.Files) + " files: " + std::to_string(tally.Counts[0]) +
           (tally.Counts[0] == 1 ? " recording, " : " recordings, ") + std::to_string(tally.Counts[1]) +
           " not-orva, " + std::to_string(tally.Counts[2]) + " unsupported-version, " +
           std::to_string(tally.Counts[3]) + " truncated, " + std::to_string(tally.Counts[4]) +
           " could not be read";
}

// Counts a file's outcome; true for a supported recording.
bool Count(ReportTally& tally, ReportOutcome outcome) {
    ++tally.Files;
    ++tally.Counts[static_cast<int>(outcome)];
    return outcome == ReportOutcome::Recording;
}

int Report(const CommandLineOptions& options, const Writer& writer, WriterState& state) {
    writer.Begin(state, options);
    Progress progress = StartProgress(!options.Quiet, "reading", CountPaths(options));
    bool allGood = OutputError() == 0;
    ReportTally tally;
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        if (found.NoWavFiles) {
            SayNoWavFiles(found);
            allGood = false;
            return true;
        }
        if (progress.SharesScreen) {
            HideProgress();
        }
        const Recording recording = LoadRecording(found);
        if (recording.Error.empty() && !Mismatch(recording, options.Wheres).empty()) {
            StepProgress(progress, found.Text);
            return true;  // --where leaves it out
        }
        allGood = Count(tally, WriteRecord(writer, state, recording, nullptr)) && allGood;
        StepProgress(progress, found.Text);
        return OutputError() == 0;  // what comes after a lost line would mislead
    });
    HideProgress();
    if (tally.Files > 1) {
        writer.End(state, SummaryLine(tally));
    }
    return allGood ? ExitOk : ExitFailed;
}

int Patch(const CommandLineOptions& options, const Writer& writer, WriterState& state, const FilePlans& plans,
          WriteLog* log) {
    writer.Begin(state, options);
    PatchTally tally;
    bool allFound = true;
    Progress progress = StartProgress(!options.Quiet, "patching", CountPaths(options));
    // With a log, files are prepared a batch at a time, so that one sync of
    // the log makes their intents durable before any of them is written.
    constexpr std::size_t kBatch = 32;
    std::vector<PreparedFile> batch;
    const PlanFile plan = [&](const Recording& now) {
        const auto at = plans.find(now.Text);
        return PlanEdit(now, options, at == plans.end() ? nullptr : &at->second);
    };
    auto finish = [&] {
        bool logged = true;
        if (std::any_of(batch.begin(), batch.end(), ToWrite)) {
            for (const PreparedFile& prepared : batch) {
                logged = (!ToWrite(prepared) || LogIntent(*log, prepared, false)) && logged;
            }
            logged = logged && SyncLog(*log);
        }
        for (PreparedFile& prepared : batch) {
            if (progress.SharesScreen) {
                HideProgress();
            }
            WritePatch(writer, state, FinishFile(prepared, log, logged).Outcome, tally);
            StepProgress(progress, prepared.Found.Text);
        }
        batch.clear();
        return LogHolds(log);
    };
    // A lost line never stops the patching: each file is patched whole or not at all.
    // An interrupt ends it before the next file.
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        if (InterruptSignal() != 0) {
            return false;
        }
        if (found.NoWavFiles) {
            if (!finish()) {
                return false;
            }
            SayNoWavFiles(found);
            allFound = false;
            return true;
        }
        if (log != nullptr) {
            batch.push_back(PrepareFile(found, options, plan));
            return batch.size() < kBatch || finish();
        }
        if (progress.SharesScreen) {
            HideProgress();
        }
        WritePatch(writer, state, PatchFile(found, options, &plans).Outcome, tally);
        StepProgress(progress, found.Text);
        return true;
    });
    finish();
    HideProgress();
    if (const int status = EndInterrupted(options, tally); status >= 0) {
        return status;
    }
    PrintPatchSummary(tally, options);
    return allFound && tally.Refused == 0 && tally.Failed == 0 && LogHolds(log) ? ExitOk : ExitFailed;
}

// --undo: the log's writes, newest first, each through the same guarded write.
int Undo(const CommandLineOptions& options, const Writer& writer, WriterState& state,
         const std::vector<LoggedWrite>& writes, WriteLog* log) {
    writer.Begin(state, options);
    PatchTally tally;
    Progress progress = StartProgress(!options.Quiet, "undoing", writes.size());
    for (auto write = writes.rbegin(); write != writes.rend() && InterruptSignal() == 0 && LogHolds(log); ++write) {
        if (progress.SharesScreen) {
            HideProgress();
        }
        const FoundPath found{write->Path, write->Text, ""};
        const PatchedFile file =
            EditFile(found, options, [&](const Recording& now) { return PlanUndo(now, *write); }, log);
        WritePatch(writer, state, file.Outcome, tally);
        StepProgress(progress, write->Text);
    }
    HideProgress();
    if (const int signal = InterruptSignal(); signal != 0) {
        PrintPatchSummary(tally, options,
                          ", interrupted after " + std::to_string(Taken(tally)) + " of " +
                              std::to_string(writes.size()) + " files");
        return 128 + signal;
    }
    PrintPatchSummary(tally, options);
    return tally.Refused == 0 && tally.Failed == 0 && LogHolds(log) ? ExitOk : ExitFailed;
}

// The run after its options: a report, a patch of the files found, or an undo.
int Write(const CommandLineOptions& options, bool patch, const std::vector<LoggedWrite>& undone, WriteLog* log) {
    if (!options.UndoLog.empty()) {
        const Writer writer = PickWriter(options);
        WriterState state;
        return Undo(options, writer, state, undone, log);
    }
    SessionPlan session;
    if (patch && NeedsSessionPlan(options)) {
        // Read before the first write: what will change, and what needs the whole session.
        session = PlanSession(options);
        if (options.Edits.Start && !options.Chain && session.Paths != 1) {
            return TellUsageError("--start without --chain takes one file; the PATHs name " +
                                  std::to_string(session.Paths));
        }
        if (const int status = EndInterrupted(options, PatchTally{}); status >= 0) {
            return status;  // before the first write
        }
        for (const std::string& line : session.Changes) {
            PrintError("%s\n", line.c_str());
        }
    }
    const Writer writer = PickWriter(options);
    WriterState state;
    if (!options.Chain) {
        return patch ? Patch(options, writer, state, session.Plans, log) : Report(options, writer, state);
    }
    writer.Begin(state, options);
    PatchTally patched;
    bool allGood = ReportOrPatchChains(options, writer, state, session.Plans, log, patched);
    writer.Finish(state);
    // A picture with holes is no picture of the whole session.
    allGood = allGood && state.Picture.Failures.empty();
    if (patch) {
        if (const int status = EndInterrupted(options, patched); status >= 0) {
            return status;
        }
        PrintPatchSummary(patched, options);
    }
    return allGood && patched.Refused == 0 && patched.Failed == 0 ? ExitOk : ExitFailed;
}

// patch: set when the arguments ask for a patch.
int Dispatch(const std::vector<std::string>& arguments, bool& patch) {
    CommandLineOptions options;
    const int status = ParseCommandLine(arguments, options);
    if (status >= 0) {
        return status;
    }
    patch = Patches(options);
    std::vector<LoggedWrite> undone;
    if (!options.UndoLog.empty()) {
        // The whole log is read first: one that is not ours writes nothing.
        if (const std::string why = ReadLog(options.UndoLog, undone); !why.empty()) {
            return TellUsageError("--undo: " + options.UndoLog + ": " + why + "; nothing is written");
        }
    }
    if (patch) {
        CatchInterrupts();  // a file is never left halfway: the run ends between files
    }
    WriteLog log;
    WriteLog* logged = nullptr;
    if (!options.LogPath.empty() && !options.DryRun) {
        if (!OpenLog(options.LogPath, log)) {
            TellError(log.Error + "; nothing is written");
            return ExitFailed;
        }
        logged = &log;
    }
    const int written = Write(options, patch, undone, logged);
    if (logged != nullptr && !CloseLog(log)) {
        TellError(log.Error);
        return written == ExitOk ? ExitFailed : written;
    }
    return written;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments) {
    IgnoreBrokenPipe();
    IgnoreFileSizeSignal();  // a size limit fails a write, which is told or undone
    ResetOutputError();
    int status = ExitFailed;
    bool patch = false;
    try {
        status = Dispatch(arguments, patch);
    } catch (const std::exception& error) {
        TellError(error.what());
    }
    WriteOutputBytes("", 0);
    if (const int error = OutputError(); error != 0) {
        // The old values are the way to undo a patch: their loss is told,
        // even to a reader that has gone. A report's reader that has gone
        // (| head) needs no word.
        if (patch) {
            TellError(std::string("standard output: ") + std::strerror(error) +
                      ": the record of the patches is incomplete");
        } else if (error != EPIPE) {
            TellError(std::string("standard output: ") + std::strerror(error));
        }
        status = status > 128 ? status : ExitFailed;  // an interrupt's status stands
    }
    InterruptsDone();
    if (g_Platform.OwnsConsoleAlone()) {
        g_Platform.WaitForEnter();  // started from Explorer: keep the window readable
    }
    return status;
}

}  // namespace kalimber
