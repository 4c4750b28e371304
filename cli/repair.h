// One file's repair worked out before it is written: the header as it is to
// be, the fields its line names, or why it is skipped or refused.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/chain.h"
#include "cli/options.h"
#include "cli/recording.h"

namespace kalimber {

// What the pass over the session before the writes found for one file.
struct FilePlan {
    std::optional<std::int64_t> ShiftMs;  // --start with --chain: its chain's move
    std::optional<std::string> NextName;  // --relink: the next file's name, empty for the last
    std::string Refused;                  // why the file cannot be moved with its chain
};

// By the path as the output shows it.
using FilePlans = std::map<std::string, FilePlan>;

struct PlannedEdit {
    RecordingHeader After{};
    std::vector<const FieldRow*> Fields;  // what the line names, in layout order
    std::string Skipped;                  // --where does not match: why
    std::string Refused;                  // why the file is not written
};

// Why a recording does not match every --where ("CenterFreq is 14200000,
// not 7100000"), or empty where it does.
std::string Mismatch(const Recording& recording, const std::vector<FieldWanted>& wheres);

// The edits the options ask of this recording, as read; plan is what the
// pass before the writes found for it (null where there was none).
PlannedEdit PlanEdit(const Recording& now, const CommandLineOptions& options, const FilePlan* plan);

// --relink: the recordings parted by folder, check and the fields a chain
// keeps, each part in time order (then by name) cut where the gap or
// overlap to the next file is beyond maxGapMs; each file's next name.
FilePlans RelinkPlans(const std::vector<Recording>& files, std::int64_t maxGapMs);

// --start with --chain: every file of the chain moved by the amount that
// makes its first file start at start.
void PlanChainStart(const Chain& chain, const TimeStamp& start, FilePlans& plans);

// The changes of a run before its first write, field by field: each old
// value with its count, and the new ones.
struct ChangeTally {
    struct Field {
        std::vector<std::pair<std::string, int>> Old;  // in the order first met
        std::vector<std::string> New;  // the first two met
        // Times: the move every file's value makes, while it is the same one.
        std::optional<std::int64_t> MoveMs;
        bool OneMove = true;
    };
    std::map<std::size_t, Field> Fields;  // by row of the table
};

void CountChanges(ChangeTally& tally, const Recording& now, const PlannedEdit& edit);

// "CenterFreq: 7100000 (15 files), 14200000 (14 files) -> 7050000", a line
// a field, in layout order.
std::vector<std::string> ChangeLines(const ChangeTally& tally);

// A field's value in a patch line: a text in double quotes, control bytes escaped.
std::string ShownValue(const RecordingHeader& header, const FieldRow& row);

}  // namespace kalimber
