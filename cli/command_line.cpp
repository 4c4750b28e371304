// Dispatches the command-line mode: options, the walk over the paths, and a
// writer or the patch for each file in turn; library exceptions end here.
#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <string>

#include "cli/chain.h"
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

// How one file of a report came out, for the summary line.
enum class Outcome { Recording, NotOrva, UnsupportedVersion, Truncated, Unreadable };

struct ReportTally {
    int Files = 0;
    int Counts[5] = {};  // by Outcome
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

void SayNoWavFiles(const FoundPath& folder) {
    TellError("kalimber: " + EscapeControls(folder.Text) + ": " + NoWavFilesReason + "\n");
}

// One recording to the writer; a path that cannot be read is told on
// standard error in every form, and to the writer too (JSON and CSV keep a
// record of it).
Outcome Write(const Writer& writer, WriterState& state, const Recording& recording, const ChainColumns* columns) {
    if (!recording.Error.empty()) {
        TellError("kalimber: " + EscapeControls(recording.Text) + ": " + recording.Error + "\n");
        writer.Error(state, recording.Text, recording.Error, columns);
        return Outcome::Unreadable;
    }
    writer.Record(state, recording, columns);
    switch (recording.Check) {
        case RecordingCheck::Ok:
            return Outcome::Recording;
        case RecordingCheck::NotOrva:
            return Outcome::NotOrva;
        case RecordingCheck::UnsupportedVersion:
            return Outcome::UnsupportedVersion;
        case RecordingCheck::Truncated:
            break;
    }
    return Outcome::Truncated;
}

// One patch to the writer, counted; a file that could not be opened is
// told on standard error in every form.
void WritePatch(const Writer& writer, WriterState& state, const PatchOutcome& outcome, PatchTally& tally) {
    Count(tally, outcome.Result);
    if (Unopened(outcome)) {
        TellError("kalimber: " + EscapeControls(outcome.Text) + ": " + outcome.Error + "\n");
    }
    writer.Patch(state, outcome);
}

// Counts a file's outcome; true for a supported recording.
bool Count(ReportTally& tally, Outcome outcome) {
    ++tally.Files;
    ++tally.Counts[static_cast<int>(outcome)];
    return outcome == Outcome::Recording;
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
        allGood = Count(tally, Write(writer, state, recording, nullptr)) && allGood;
        StepProgress(progress, found.Text);
        return OutputError() == 0;  // what comes after a lost line would mislead
    });
    HideProgress();
    if (tally.Files > 1) {
        writer.End(state, SummaryLine(tally));
    }
    return allGood ? ExitOk : ExitFailed;
}

// True while the log takes each write's record; told once where it fails,
// and the run stops before the next file.
bool LogHolds(WriteLog* log) {
    if (log == nullptr || log->Error.empty()) {
        return true;
    }
    if (log->File != nullptr) {
        TellError("kalimber: " + EscapeControls(log->Error) + "; the run stops before the next file\n");
        CloseLog(*log);
    }
    return false;
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

// Each chain: its files reported or patched, then its section as the files
// now stand. Each file is taken in once: loaded, or patched and loaded in
// the same open; a patch's line waits for its file's turn in the chain.
// False when a file or a link fails.
bool ReportOrPatchChains(const CommandLineOptions& options, const Writer& writer, WriterState& state,
                         const FilePlans& plans, WriteLog* log, PatchTally& patched) {
    const bool patch = Patches(options);
    const bool csv = options.Format == OutputFormat::Csv;
    bool allGood = true;
    FilesInChains inChains;  // each file in one chain only, however it is named
    std::map<std::string, PatchOutcome> outcomes;  // by name, for the argument at hand
    // The files named and those of the folders named; links followed may
    // lead to more, and the line then counts them without a total.
    Progress progress = StartProgress(!options.Quiet, patch ? "patching" : "reading", CountPaths(options));
    const TakeFile take = [&](const FoundPath& found) {
        StepProgress(progress, found.Text);
        if (!patch || InterruptSignal() != 0 || (log != nullptr && !log->Error.empty())) {
            return LoadRecording(found);  // after an interrupt or a lost log, nothing more is written
        }
        PatchedFile file = PatchFile(found, options, &plans, log);
        outcomes[file.Outcome.Text] = file.Outcome;
        return std::move(file.Now);
    };
    // A file's line or record; false where it is no recording that passes.
    auto write = [&](const Recording& file, const ChainColumns& columns) {
        if (progress.SharesScreen) {
            HideProgress();
        }
        if (!patch) {
            return Write(writer, state, file, csv ? &columns : nullptr) == Outcome::Recording;
        }
        if (const auto outcome = outcomes.find(file.Text); outcome != outcomes.end()) {
            WritePatch(writer, state, outcome->second, patched);
        }
        return true;  // a patch fails through its tally
    };
    VisitArguments(options.Paths, [&](const FoundPath& top, bool folder) {
        outcomes.clear();
        ChainSet set;
        if (folder) {
            set = options.Recursive ? TreeChains(top, inChains, take) : FolderChains(top, inChains, take);
        } else {
            FileIdentity identity;
            if (top.Error.empty() && IdentifyPath(top.Path, identity) && inChains.count(identity) != 0) {
                return true;  // in a chain already: neither taken in nor followed again
            }
            Recording start = take(top);
            if (!start.Error.empty()) {
                // No first file, so no chain; in CSV it heads a chain of its own.
                write(start, ChainColumns{top.Text, ""});
                allGood = false;
                return patch || OutputError() == 0;
            }
            set = FileChains(std::move(start), inChains, take);
        }
        if (!set.Error.empty()) {
            // A folder that cannot be listed: told as in a report, without a chain section.
            Recording unlisted;
            unlisted.Path = top.Path;
            unlisted.Text = top.Text;
            unlisted.Error = set.Error;
            if (patch) {
                PatchOutcome outcome;
                outcome.Text = top.Text;
                outcome.Error = set.Error;
                outcomes[top.Text] = outcome;
            }
            write(unlisted, ChainColumns{});
            allGood = false;
        } else if (folder && set.Listed == 0) {
            SayNoWavFiles(top);
            allGood = false;
        }
        for (const Chain& chain : set.Chains) {
            const ChainSummary summary = CheckChain(chain, options.MaxGapMs);
            for (std::size_t i = 0; i < chain.Files.size(); ++i) {
                const Recording& file = chain.Files[i];
                const std::string link = csv && i > 0 ? LinkText(summary, chain.Files[i - 1].Text, file.Text) : "";
                allGood = write(file, ChainColumns{chain.Files.front().Text, link}) && allGood;
            }
            allGood = HoldsTogether(chain, summary) && allGood;
            if (progress.SharesScreen) {
                HideProgress();
            }
            writer.Chain(state, chain, summary);
            if (!patch && OutputError() != 0) {
                allGood = false;
                return false;
            }
        }
        // The files of a folder that fail the check and so start no chain.
        for (const Recording& stray : set.Strays) {
            write(stray, ChainColumns{});
            allGood = false;
        }
        return (patch && InterruptSignal() == 0 && LogHolds(log)) || (!patch && OutputError() == 0);
    });
    HideProgress();
    return allGood;
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
            TellError("kalimber: " + EscapeControls(log.Error) + "; nothing is written\n");
            return ExitFailed;
        }
        logged = &log;
    }
    const int written = Write(options, patch, undone, logged);
    if (logged != nullptr && !CloseLog(log)) {
        TellError("kalimber: " + EscapeControls(log.Error) + "\n");
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
        PrintError("kalimber: %s\n", error.what());
    }
    WriteOutputBytes("", 0);
    if (const int error = OutputError(); error != 0) {
        // The old values are the way to undo a patch: their loss is told,
        // even to a reader that has gone. A report's reader that has gone
        // (| head) needs no word.
        if (patch) {
            PrintError("kalimber: standard output: %s: the record of the patches is incomplete\n",
                       std::strerror(error));
        } else if (error != EPIPE) {
            PrintError("kalimber: standard output: %s\n", std::strerror(error));
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
