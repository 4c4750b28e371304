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
#include "cli/writers.h"
#include "header/additional_information.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "run/run.h"

namespace kalimber {
namespace {

void ReportUnreadable(const FoundPath& found, const CommandLineOptions& options, const std::string* chain) {
    if (options.Quiet) {
        return;
    }
    switch (options.Format) {
        case OutputFormat::Text:
            PrintError("kalimber: %s: %s\n", EscapeControls(found.Text).c_str(), found.Error.c_str());
            break;
        case OutputFormat::Json:
            WriteJsonError(found.Text, found.Error);
            break;
        case OutputFormat::Csv:
            WriteCsvError(found.Text, found.Error, chain);
            break;
    }
}

// Reports one file; false when it cannot be opened or is no supported
// recording. first: no text report has been written yet; chain: the first
// file of the chain it belongs to, for the CSV row.
bool ReportRecording(FoundPath found, const CommandLineOptions& options, bool& first,
                     const std::string* chain = nullptr) {
    ResetRecordingState();
    // Unbuffered: the header's reads read just their bytes, and the size
    // needs no read at the end of the file.
    std::FILE* recording = found.Error.empty() ? OpenRecording(found.Path, false, found.Error) : nullptr;
    if (recording == nullptr) {
        ReportUnreadable(found, options, chain);
        return false;
    }
    if (options.Quiet) {
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
            WriteCsvRecord(found.Text, size, check, chain);
        }
    }
    std::fclose(recording);
    return CheckVendorChunk() == RecordingCheck::Ok;
}

int Report(const CommandLineOptions& options) {
    if (!options.Quiet && options.Format == OutputFormat::Text) {
        PrintBanner();
    } else if (!options.Quiet && options.Format == OutputFormat::Csv) {
        WriteCsvHeader(options.Chain);
    }
    bool allGood = OutputError() == 0;
    bool first = true;
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        allGood = ReportRecording(found, options, first) && allGood;
        return OutputError() == 0;  // what comes after a lost line would mislead
    });
    return allGood ? ExitOk : ExitFailed;
}

int Patch(const CommandLineOptions& options) {
    PatchTally tally;
    // A lost line never stops the patching: each file is patched whole or not at all.
    WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
        PatchRecording(found, options, tally);
        return true;
    });
    PrintPatchSummary(tally, options.DryRun);
    return tally.Refused == 0 && tally.Failed == 0 ? ExitOk : ExitFailed;
}

// Each chain: its files reported or patched, then its section as the files
// now stand. False when a file or a link fails.
bool ReportOrPatchChains(const CommandLineOptions& options, bool patch, PatchTally& tally) {
    bool allGood = true;
    bool first = true;
    VisitArguments(options.Paths, [&](const FoundPath& top, bool folder) {
        std::string error = top.Error;
        std::FILE* probe = folder || !error.empty() ? nullptr : OpenRecording(top.Path, false, error);
        if (!folder && probe == nullptr) {
            // No first file, so no chain: said as for any path that cannot be read.
            FoundPath unreadable = top;
            unreadable.Error = error;
            if (patch) {
                PatchRecording(unreadable, options, tally);
            } else {
                ReportRecording(unreadable, options, first);
            }
            allGood = false;
            return patch || OutputError() == 0;
        }
        if (probe != nullptr) {
            std::fclose(probe);
        }
        for (const Chain& chain : FindChains(top)) {
            const std::string& head = chain.Files.front().Text;
            for (const FoundPath& file : chain.Files) {
                if (patch) {
                    PatchRecording(file, options, tally);
                } else {
                    const std::string* column = options.Format == OutputFormat::Csv ? &head : nullptr;
                    allGood = ReportRecording(file, options, first, column) && allGood;
                }
            }
            std::vector<ChainFacts> facts;
            for (const FoundPath& file : chain.Files) {
                facts.push_back(LoadChainFacts(file));
            }
            const ChainSummary summary = CheckChain(chain, facts, options.MaxGapMs);
            allGood = HoldsTogether(chain, summary) && allGood;
            if (options.Format == OutputFormat::Json) {
                WriteJsonChain(chain, summary);
            } else if (options.Format == OutputFormat::Text && !options.Quiet) {
                WriteTextChain(chain, summary);
            }
            if (!patch && OutputError() != 0) {
                allGood = false;
                return false;
            }
        }
        return true;
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
    if (!patch && !options.Quiet && options.Format == OutputFormat::Text) {
        PrintBanner();
    } else if (!patch && !options.Quiet && options.Format == OutputFormat::Csv) {
        WriteCsvHeader(true);
    }
    PatchTally tally;
    const bool allGood = ReportOrPatchChains(options, patch, tally);
    if (patch) {
        PrintPatchSummary(tally, options.DryRun);
    }
    return allGood && tally.Refused == 0 && tally.Failed == 0 ? ExitOk : ExitFailed;
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
