// The undo of a logged write on a header image: the fields its runs cover,
// the old bytes back where the new ones still stand.
#include "cli/undo.h"

#include <algorithm>
#include <cstring>

namespace kalimber {

PlannedEdit PlanUndo(const Recording& now, const LoggedWrite& write) {
    PlannedEdit edit;
    edit.After = now.Header;
    for (const FieldRow& row : FieldTable) {
        if (std::any_of(write.Runs.begin(), write.Runs.end(), [&](const LoggedRun& run) {
                return row.Offset < run.Offset + run.Old.size() && run.Offset < row.Offset + row.Width;
            })) {
            edit.Fields.push_back(&row);
        }
    }
    const bool auxi = std::any_of(edit.Fields.begin(), edit.Fields.end(),
                                  [](const FieldRow* row) { return row->Chunk == ChunkKind::Auxi; });
    const bool sizes = std::any_of(edit.Fields.begin(), edit.Fields.end(),
                                   [](const FieldRow* row) { return row->Chunk != ChunkKind::Auxi; });
    auto holds = [&](ChunkKind kind) { return HoldsChunk(now, ChunkTable[static_cast<std::size_t>(kind)]); };
    if ((auxi && !holds(ChunkKind::Auxi)) || (sizes && !(holds(ChunkKind::Riff) && holds(ChunkKind::Data)))) {
        edit.Refused = "changed since the log: the chunks it wrote are no longer there";
        return edit;
    }
    for (const LoggedRun& run : write.Runs) {
        const std::uint8_t* bytes = HeaderBytes(now.Header) + run.Offset;
        if (std::memcmp(bytes, run.New.data(), run.New.size()) == 0) {
            std::memcpy(HeaderBytes(edit.After) + run.Offset, run.Old.data(), run.Old.size());
        } else if (std::memcmp(bytes, run.Old.data(), run.Old.size()) != 0) {
            edit.Refused = "changed since the log: bytes " + std::to_string(run.Offset) + " to " +
                           std::to_string(run.Offset + run.Old.size() - 1) + " hold neither the old nor the new values";
            return edit;
        }
    }
    return edit;
}

}  // namespace kalimber
