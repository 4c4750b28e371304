// Reads a session before its writes: the files of the walk, or the chains,
// taken in read-only, then the relinks, the chains' moves and the tally.
#include "cli/session_plan.h"

#include <set>

#include "cli/chain.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "cli/recording.h"
#include "platform/write_guard.h"

namespace kalimber {

bool NeedsSessionPlan(const CommandLineOptions& options, const Console& console) {
    return !console.Quiet || options.Edits.Relink || options.Edits.Start;
}

SessionPlan PlanSession(const CommandLineOptions& options, Console& console) {
    SessionPlan session;
    // No total: the walk is not counted twice.
    Progress progress = StartProgress("reading", 0);
    std::vector<Recording> files;
    std::set<FileIdentity> known;  // each file once, however it is named
    auto keep = [&](Recording file) {
        StepProgress(console, progress, file.Text);
        if (!file.Error.empty() || (file.Identity && !known.insert(*file.Identity).second)) {
            return;
        }
        files.push_back(std::move(file));
    };
    if (!options.Chain) {
        WalkPaths(options.Paths, options.Recursive, [&](const FoundPath& found) {
            session.Paths += !found.NoWavFiles;
            if (found.Error.empty()) {
                keep(LoadRecording(found));
            }
            return InterruptSignal() == 0;
        });
        if (options.Edits.Relink) {
            session.Plans = RelinkPlans(files, options.MaxGapMs);
        }
    } else {
        FilesInChains inChains;
        const TakeFile take = [](const FoundPath& found) { return LoadRecording(found); };
        VisitArguments(options.Paths, [&](const FoundPath& top, bool folder) {
            ChainSet set;
            if (folder) {
                set = FolderChains(top, inChains, take);
            } else {
                FileIdentity identity;
                if (!top.Error.empty() || (IdentifyPath(top.Path, identity) && inChains.count(identity) != 0)) {
                    return true;
                }
                Recording start = take(top);
                if (!start.Error.empty()) {
                    return true;
                }
                set = FileChains(std::move(start), inChains, take);
            }
            for (Chain& chain : set.Chains) {
                if (options.Edits.Start) {
                    PlanChainStart(chain, *options.Edits.Start, session.Plans);
                }
                for (Recording& file : chain.Files) {
                    keep(std::move(file));
                }
            }
            for (Recording& stray : set.Strays) {
                keep(std::move(stray));
            }
            return InterruptSignal() == 0;
        });
    }
    HideProgress(console);
    session.Files = files.size();
    if (!console.Quiet) {
        ChangeTally tally;
        for (const Recording& file : files) {
            const auto plan = session.Plans.find(file.Text);
            CountChanges(tally, file, PlanEdit(file, options, plan == session.Plans.end() ? nullptr : &plan->second));
        }
        session.Changes = ChangeLines(tally);
    }
    return session;
}

}  // namespace kalimber
