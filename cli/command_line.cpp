// Dispatches the command-line mode: options, the walk over the paths, and a
// writer or the patch for each file in turn; library exceptions end here.
#include "cli/command_line.h"

#include <cerrno>
#include <cstring>
#include <exception>

#include "cli/chain.h"
#include "cli/options.h"
#include "cli/patch.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "cli/writers.h"
#include "header/additional_information.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "run/run.h"

namespace kalimber {
namespace {

// How one file of a report came out, for the summary line.
enum class Outcome { Recording, NotOrva, UnsupportedVersion, Unreadable };

struct ReportTally {
    int Files = 0;
    int Counts[4] = {};  // by Outcome
};

// "20 files: 18 recordings, 1 not-orva, 0 unsupported-version, 1 could not be read"
// (chains end in their sections instead).
void PrintReportSummary(const ReportTally& tally) {
    PrintError("%d files: %d %s, %d not-orva, %d unsupported-version, %d could not be read\n", tally.Files,
               tally.Counts[0], tally.Counts[0] == 1 ? "recording" : "recordings", tally.Counts[1], tally.Counts[2],
               tally.Counts[3]);
}

// A path that cannot be read: always on standard error, and in JSON and CSV
// as a record too where records are written.
void ReportUnreadable(const FoundPath& found, const CommandLineOptions& options, bool records,
                      const std::string* chain) {
    TellError("kalimber: " + EscapeControls(found.Text) + ": " + found.Error + "\n");
    if (records && options.Format == OutputFormat::Json) {
        WriteJsonError(found.Text, found.Error);
    } else if (records && options.Format == OutputFormat::Csv) {
        const std::string none;
        WriteCsvError(found.Text, found.Error, chain, chain != nullptr ? &none : nullptr);
    }
}

// Reports one file. records: its record goes to standard output (not under
// -q or --summary); first: no text report has been written yet; chain and
// link: the CSV row's chain column (its first file) and link column.
Outcome ReportRecording(FoundPath found, const CommandLineOptions& options, bool records, bool& first,
                        const std::string* chain = nullptr, const std::string* link = nullptr) {
    ResetRecordingState();
    // Unbuffered: the header's reads read just their bytes, and the size
    // needs no read at the end of the file.
    std::FILE* recording = found.Error.empty() ? OpenRecording(found.Path, false, found.Error) : nullptr;
    if (recording == nullptr) {
        ReportUnreadable(found, options, records, chain);
        return Outcome::Unreadable;
    }
    if (!records) {
        LoadHeaderAtOnce(recording);
    } else if (options.Format == OutputFormat::Text) {
        WriteTextReport(found.Text, recording, first);
        first = false;
    } else {
        LoadHeaderAtOnce(recording);
        const std::int64_t size = FileSize(recording);
        const RecordingCheck check = CheckRecordingOfSize(size);
        if (options.Format == OutputFormat::Json) {
            WriteJsonRecord(found.Text, size, check);
        } else {
            WriteCsvRecord(found.Text, size, check, chain, link);
        }
    }
    std::fclose(recording);
    switch (CheckVendorChunk()) {
        case RecordingCheck::Ok:
            return Outcome::Recording;
        case RecordingCheck::NotOrva:
            return Outcome::NotOrva;
        case RecordingCheck::UnsupportedVersion:
            break;
    }
    return Outcome::UnsupportedVersion;
}

// Counts a file's outcome; true for a supported recording.
bool Count(ReportTally& tally, Outcome outcome) {
    ++tally.Files;
    ++tally.Counts[static_cast<int>(outcome)];
    return outcome == Outcome::Recording;
}

void SayNoWavFiles(const FoundPath& folder) {
    TellError("kalimber: " + EscapeControls(folder.Text) + ": " + NoWavFilesReason + "\n");
}

// How many paths the walk will hand on, for the progress line; only
// walked where the line can be shown.
std::uint64_t CountPaths(const CommandLineOptions& options) {
    std::uint64_t paths = 0;
    if (!options.Quiet && IsTerminal(ErrorStream())) {
        WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
            paths += found.Error != NoWavFilesReason;
            return true;
        });
    }
    return paths;
}

int Report(const CommandLineOptions& options) {
    const bool records = !options.Quiet;
    if (records && options.Format == OutputFormat::Text) {
        PrintBanner();
    } else if (records && options.Format == OutputFormat::Csv) {
        WriteCsvHeader(false);
    }
    Progress progress = StartProgress(!options.Quiet, "reading", CountPaths(options));
    bool allGood = OutputError() == 0;
    bool first = true;
    ReportTally tally;
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        if (found.Error == NoWavFilesReason) {
            SayNoWavFiles(found);
            allGood = false;
            return true;
        }
        if (progress.SharesScreen && records) {
            HideProgress();
        }
        allGood = Count(tally, ReportRecording(found, options, records, first)) && allGood;
        StepProgress(progress, found.Text);
        return OutputError() == 0;  // what comes after a lost line would mislead
    });
    HideProgress();
    if (!options.Quiet && tally.Files > 1) {
        PrintReportSummary(tally);
    }
    return allGood ? ExitOk : ExitFailed;
}

int Patch(const CommandLineOptions& options) {
    PatchTally tally;
    bool allFound = true;
    Progress progress = StartProgress(!options.Quiet, "patching", CountPaths(options));
    // A lost line never stops the patching: each file is patched whole or not at all.
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        if (found.Error == NoWavFilesReason) {
            SayNoWavFiles(found);
            allFound = false;
            return true;
        }
        if (progress.SharesScreen && !options.Quiet) {
            HideProgress();
        }
        PatchRecording(found, options, tally);
        StepProgress(progress, found.Text);
        return true;
    });
    HideProgress();
    PrintPatchSummary(tally, options.DryRun);
    return allFound && tally.Refused == 0 && tally.Failed == 0 ? ExitOk : ExitFailed;
}

// Each chain: its files reported or patched, then its section as the files
// now stand (with --summary, the section alone). False when a file or a
// link fails.
bool ReportOrPatchChains(const CommandLineOptions& options, bool patch, PatchTally& patched) {
    const bool records = !options.Quiet && !options.Summary;
    bool allGood = true;
    bool first = true;
    FilesInChains inChains;  // each file in one chain only, however it is named
    VisitArguments(options.Paths, [&](const FoundPath& top, bool folder) {
        std::string error = top.Error;
        std::FILE* probe = folder || !error.empty() ? nullptr : OpenRecording(top.Path, false, error);
        if (!folder && probe == nullptr) {
            // No first file, so no chain: said as for any path that cannot be read.
            FoundPath unreadable = top;
            unreadable.Error = error;
            if (patch) {
                PatchRecording(unreadable, options, patched);
            } else {
                // In CSV it heads a chain of its own, so its row has every column.
                const bool csv = options.Format == OutputFormat::Csv;
                const std::string none;
                ReportRecording(unreadable, options, records, first, csv ? &top.Text : nullptr, csv ? &none : nullptr);
            }
            allGood = false;
            return patch || OutputError() == 0;
        }
        if (probe != nullptr) {
            std::fclose(probe);
        }
        const ChainSet set = FindChains(top, inChains);
        const bool csv = options.Format == OutputFormat::Csv;
        const std::string none;
        // A folder that cannot be listed, and a file that fails the check and
        // so starts no chain: told as in a report, without a chain section.
        auto alone = [&](const FoundPath& file) {
            if (patch) {
                PatchRecording(file, options, patched);
            } else {
                ReportRecording(file, options, records, first, csv ? &none : nullptr, csv ? &none : nullptr);
            }
            allGood = false;
        };
        if (!set.Error.empty()) {
            alone({top.Path, top.Text, set.Error});
        } else if (folder && set.Listed == 0) {
            SayNoWavFiles(top);
            allGood = false;
        }
        for (const Chain& chain : set.Chains) {
            // A report checks the links first, so that each CSV row can say
            // how its link holds; a patch checks them as its files now stand.
            auto check = [&] {
                std::vector<ChainFacts> facts;
                for (const FoundPath& file : chain.Files) {
                    facts.push_back(LoadChainFacts(file));
                }
                return CheckChain(chain, facts, options.MaxGapMs);
            };
            ChainSummary summary;
            if (!patch) {
                summary = check();
            }
            const std::string& head = chain.Files.front().Text;
            for (std::size_t i = 0; i < chain.Files.size(); ++i) {
                const FoundPath& file = chain.Files[i];
                if (patch) {
                    PatchRecording(file, options, patched);
                    continue;
                }
                const std::string link = csv && i > 0 ? LinkText(summary, chain.Files[i - 1].Text, file.Text) : "";
                const Outcome outcome =
                    ReportRecording(file, options, records, first, csv ? &head : nullptr, csv ? &link : nullptr);
                allGood = outcome == Outcome::Recording && allGood;
            }
            if (patch) {
                summary = check();
            }
            allGood = HoldsTogether(chain, summary) && allGood;
            if (options.Quiet) {
                continue;
            }
            if (options.Format == OutputFormat::Json) {
                WriteJsonChain(chain, summary);
            } else if (options.Format == OutputFormat::Text) {
                WriteTextChain(chain, summary);
            } else if (options.Summary) {
                WriteCsvChain(chain, summary);
            }
            if (!patch && OutputError() != 0) {
                allGood = false;
                return false;
            }
        }
        for (const FoundPath& stray : set.Strays) {
            alone(stray);
        }
        return patch || OutputError() == 0;
    });
    return allGood;
}

// patch: set when the arguments ask for a patch.
int Dispatch(const std::vector<std::string>& arguments, bool& patch) {
    CommandLineOptions options;
    const int status = ParseCommandLine(arguments, options);
    if (status >= 0) {
        return status;
    }
    patch = options.CenterFreq.has_value() || options.Bandwidth.has_value();
    if (!options.Chain) {
        return patch ? Patch(options) : Report(options);
    }
    const bool records = !patch && !options.Quiet;
    if (records && options.Format == OutputFormat::Text && !options.Summary) {
        PrintBanner();
    } else if (records && options.Format == OutputFormat::Csv) {
        options.Summary ? WriteCsvChainHeader() : WriteCsvHeader(true);
    }
    PatchTally patched;
    const bool allGood = ReportOrPatchChains(options, patch, patched);
    if (patch) {
        PrintPatchSummary(patched, options.DryRun);
    }
    return allGood && patched.Refused == 0 && patched.Failed == 0 ? ExitOk : ExitFailed;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments) {
    IgnoreBrokenPipe();
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
        status = ExitFailed;
    }
    if (g_Platform.OwnsConsoleAlone()) {
        g_Platform.WaitForEnter();  // started from Explorer: keep the window readable
    }
    return status;
}

}  // namespace kalimber
