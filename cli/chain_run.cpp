// The chains' loop of the command line: the arguments walked, each chain found
// and checked, its files and then its section handed to the writer.
#include "cli/chain_run.h"

#include <map>
#include <string>
#include <utility>

#include "cli/chain.h"
#include "cli/file_steps.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "header/print.h"
#include "platform/platform.h"
#include "platform/write_guard.h"

namespace kalimber {

// Each chain: its files reported or patched, then its section as the files
// now stand. Each file is taken in once: loaded, or patched and loaded in
// the same open; a patch's line waits for its file's turn in the chain.
// False when a file or a link fails.
bool ReportOrPatchChains(const CommandLineOptions& options, const Writer& writer, Console& console,
                         const FilePlans& plans, WriteLog* log, PatchTally& patched) {
    const bool patch = Patches(options);
    const bool csv = options.Format == OutputFormat::Csv;
    bool allGood = true;
    FilesInChains inChains;  // each file in one chain only, however it is named
    std::map<std::string, PatchOutcome> outcomes;  // by name, for the argument at hand
    // The files named and those of the folders named; links followed may
    // lead to more, and the line then counts them without a total.
    Progress progress = StartProgress(patch ? "patching" : "reading", CountPaths(options, console));
    const TakeFile take = [&](const FoundPath& found) {
        StepProgress(console, progress, found.Text);
        if (!patch || InterruptSignal() != 0 || (log != nullptr && !log->Error.empty())) {
            return LoadRecording(found);  // after an interrupt or a lost log, nothing more is written
        }
        PatchedFile file = PatchFile(found, options, &plans, log);
        outcomes[file.Outcome.Text] = file.Outcome;
        return std::move(file.Now);
    };
    // A file's line or record; false where it is no recording that passes.
    auto write = [&](const Recording& file, const ChainColumns& columns) {
        ClearForOutput(console);
        if (!patch) {
            return WriteRecord(writer, console, file, csv ? &columns : nullptr) == ReportOutcome::Recording;
        }
        if (const auto outcome = outcomes.find(file.Text); outcome != outcomes.end()) {
            WritePatch(writer, console, outcome->second, patched);
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
            SayNoWavFiles(console, top);
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
            ClearForOutput(console);
            writer.Chain(chain, summary);
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
        return (patch && InterruptSignal() == 0 && LogHolds(console, log)) || (!patch && OutputError() == 0);
    });
    HideProgress(console);
    return allGood;
}

}  // namespace kalimber
