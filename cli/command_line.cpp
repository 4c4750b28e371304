// Dispatches the command-line mode: options, the walk over the paths, and a
// writer or the patch for each file in turn; library exceptions end here.
#include "cli/command_line.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <set>
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

// Report or patch, one loop over the files the PATHs name: each read and
// written, or patched, in turn; a folder with no .wav file told in its place.
// With a log, files are prepared a batch at a time, so that one sync of the
// log makes their intents durable before any of them is written. A lost line
// stops a report (what comes after it would mislead), never a patch: each file
// is patched whole or not at all. An interrupt ends a patch before the next file.
int ReportOrPatch(const CommandLineOptions& options, const Writer& writer, Console& console, bool patch,
                  const FilePlans& plans, WriteLog* log) {
    writer.Begin();
    Progress progress = StartProgress(patch ? "patching" : "reading", CountPaths(options, console));
    bool allGood = patch || OutputError() == 0;
    ReportTally report;
    std::set<FileIdentity> reported;  // a report tells files apart as it opens them
    PatchTally patched;
    constexpr std::size_t kBatch = 32;
    std::vector<PreparedFile> batch;
    const PlanFile plan = [&](const Recording& now) {
        const auto at = plans.find(now.Text);
        return PlanEdit(now, options, at == plans.end() ? nullptr : &at->second);
    };
    auto flush = [&] {
        bool logged = true;
        if (std::any_of(batch.begin(), batch.end(), ToWrite)) {
            for (const PreparedFile& prepared : batch) {
                logged = (!ToWrite(prepared) || LogIntent(*log, prepared, false)) && logged;
            }
            logged = logged && SyncLog(*log);
        }
        for (PreparedFile& prepared : batch) {
            ClearForOutput(console);
            WritePatch(writer, console, FinishFile(prepared, log, logged).Outcome, patched);
            StepProgress(console, progress, prepared.Found.Text);
        }
        batch.clear();
        return LogHolds(console, log);
    };
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        if (patch && InterruptSignal() != 0) {
            return false;
        }
        if (found.NoWavFiles) {
            if (!flush()) {
                return false;
            }
            SayNoWavFiles(console, found);
            allGood = false;
            return true;
        }
        if (patch && log != nullptr) {
            batch.push_back(PrepareFile(found, options, plan));
            return batch.size() < kBatch || flush();
        }
        ClearForOutput(console);
        if (patch) {
            WritePatch(writer, console, PatchFile(found, options, &plans).Outcome, patched);
        } else if (const Recording recording = LoadRecording(found);
                   recording.Identity && !reported.insert(*recording.Identity).second) {
            // another name of a file taken in already: the walk leaves telling them apart to the open
        } else if (!recording.Error.empty() || Mismatch(recording, options.Wheres).empty()) {
            allGood = Count(report, WriteRecord(writer, console, recording, nullptr)) && allGood;
        }  // else --where leaves it out
        StepProgress(console, progress, found.Text);
        return patch || OutputError() == 0;
    }, patch);
    flush();
    HideProgress(console);
    if (!patch) {
        if (report.Files > 1) {
            writer.End(SummaryLine(report));
        }
        return allGood ? ExitOk : ExitFailed;
    }
    if (const int status = EndInterrupted(options, console, patched); status >= 0) {
        return status;
    }
    writer.End(PatchSummary(patched, options));
    return allGood && patched.Refused == 0 && patched.Failed == 0 && LogHolds(console, log) ? ExitOk : ExitFailed;
}

// --undo: the log's writes, newest first, each through the same guarded write.
int Undo(const CommandLineOptions& options, const Writer& writer, Console& console,
         const std::vector<LoggedWrite>& writes, WriteLog* log) {
    writer.Begin();
    PatchTally tally;
    Progress progress = StartProgress("undoing", writes.size());
    for (auto write = writes.rbegin();
         write != writes.rend() && InterruptSignal() == 0 && LogHolds(console, log); ++write) {
        ClearForOutput(console);
        const FoundPath found{write->Path, write->Text, ""};
        const PatchedFile file =
            EditFile(found, options, [&](const Recording& now) { return PlanUndo(now, *write); }, log);
        WritePatch(writer, console, file.Outcome, tally);
        StepProgress(console, progress, write->Text);
    }
    HideProgress(console);
    if (const int status = EndInterrupted(options, console, tally, writes.size()); status >= 0) {
        return status;
    }
    writer.End(PatchSummary(tally, options));
    return tally.Refused == 0 && tally.Failed == 0 && LogHolds(console, log) ? ExitOk : ExitFailed;
}

// The run after its options: a report, a patch of the files found, or an undo.
int Write(const CommandLineOptions& options, Console& console, bool patch, const std::vector<LoggedWrite>& undone,
          WriteLog* log) {
    const Writer writer = PickWriter(options, console);  // and with it, how quiet the run is
    if (!options.UndoLog.empty()) {
        return Undo(options, writer, console, undone, log);
    }
    SessionPlan session;
    if (patch && NeedsSessionPlan(options, console)) {
        // Read before the first write: what will change, and what needs the whole session.
        session = PlanSession(options, console);
        if (options.Edits.Start && !options.Chain && session.Paths != 1) {
            return TellUsageError("--start without --chain takes one file; the PATHs name " +
                                  std::to_string(session.Paths));
        }
        if (const int status = EndInterrupted(options, console, PatchTally{}); status >= 0) {
            return status;  // before the first write
        }
        for (const std::string& line : session.Changes) {
            TellLine(console, line);
        }
    }
    if (!options.Chain) {
        return ReportOrPatch(options, writer, console, patch, session.Plans, log);
    }
    writer.Begin();
    PatchTally patched;
    bool allGood = ReportOrPatchChains(options, writer, console, session.Plans, log, patched);
    allGood = writer.Finish() && allGood;
    if (patch) {
        if (const int status = EndInterrupted(options, console, patched); status >= 0) {
            return status;
        }
        writer.End(PatchSummary(patched, options));
    }
    return allGood && patched.Refused == 0 && patched.Failed == 0 ? ExitOk : ExitFailed;
}

// patch: set when the arguments ask for a patch.
int Dispatch(const std::vector<std::string>& arguments, Console& console, bool& patch) {
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
            TellError(console, log.Error + "; nothing is written");
            return ExitFailed;
        }
        logged = &log;
    }
    const int written = Write(options, console, patch, undone, logged);
    if (logged != nullptr && !CloseLog(log)) {
        TellError(console, log.Error);
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
    Console console;  // the options make it quiet or not
    try {
        status = Dispatch(arguments, console, patch);
    } catch (const std::exception& error) {
        TellError(console, error.what());
    }
    WriteOutputBytes("", 0);
    if (const int error = OutputError(); error != 0) {
        // The old values are the way to undo a patch: their loss is told,
        // even to a reader that has gone. A report's reader that has gone
        // (| head) needs no word.
        if (patch) {
            TellError(console, std::string("standard output: ") + std::strerror(error) +
                               ": the record of the patches is incomplete");
        } else if (error != EPIPE) {
            TellError(console, std::string("standard output: ") + std::strerror(error));
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
