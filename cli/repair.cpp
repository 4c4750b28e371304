// The repairs of one file worked out on its header image, and the plans a
// whole session needs first: relinked names, a chain's move, the tally.
#include "cli/repair.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "cli/calendar.h"
#include "cli/field_values.h"
#include "cli/writers.h"
#include "platform/platform.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

constexpr const FieldRow& kStart = field::StartTime;
constexpr const FieldRow& kStop = field::StopTime;
constexpr const FieldRow& kNext = field::NextFileName;
constexpr const FieldRow& kRiffSize = FieldTable[1];
constexpr const FieldRow& kDataSize = FieldTable[FieldCount - 1];
static_assert(kRiffSize.Offset == 4 && kRiffSize.Chunk == ChunkKind::Riff);
static_assert(kDataSize.Offset == 312 && kDataSize.Chunk == ChunkKind::Data);

const ChunkRow& Chunk(ChunkKind kind) {
    return ChunkTable[static_cast<std::size_t>(kind)];
}

void Store(RecordingHeader& header, const FieldRow& row, const void* bytes) {
    std::memcpy(HeaderBytes(header) + row.Offset, bytes, row.Width);
}

void StoreNumber(RecordingHeader& header, const FieldRow& row, std::uint32_t value) {
    LeU32 field{};
    field.Set(value);
    Store(header, row, field.bytes.data());
}

// Moves a time field by ms; the reason where it cannot be moved.
std::string Move(RecordingHeader& header, const FieldRow& row, std::int64_t ms) {
    const TimeStamp stored = FieldTime(header, row);
    const std::optional<Millis> instant = StampInstant(stored);
    if (!instant) {
        return std::string(row.Label) + " " + TimeText(stored) + " is no real date from 1601 to 30827";
    }
    const std::optional<TimeStamp> moved = StampAt(*instant + std::chrono::milliseconds{ms});
    if (!moved) {
        return std::string(row.Label) + " would leave the years 1601 to 30827";
    }
    Store(header, row, &*moved);
    return "";
}

// Why a file has no duration to set its StopTime from.
std::string NoDuration(const Recording& now) {
    if (now.Check != RecordingCheck::Ok) {
        return std::string("no duration: the file is ") + CheckName(now.Check);
    }
    return "no duration: block mode " + std::to_string(BlockMode(now.Header)) + " keeps none";
}

}  // namespace

std::string Mismatch(const Recording& recording, const std::vector<FieldWanted>& wheres) {
    for (const FieldWanted& wanted : wheres) {
        const std::string value = FieldText(recording, wanted.Row);
        if (value != wanted.Value) {
            const std::string name = wanted.Row == nullptr ? CheckLabel : FieldName(*wanted.Row);
            return name + " is " + EscapeControls(value) + ", not " + EscapeControls(wanted.Value);
        }
    }
    return "";
}

PlannedEdit PlanEdit(const Recording& now, const CommandLineOptions& options, const FilePlan* plan) {
    const Repairs& edits = options.Edits;
    PlannedEdit edit;
    edit.After = now.Header;
    if (std::string why = Mismatch(now, options.Wheres); !why.empty()) {
        edit.Skipped = std::move(why);
        return edit;
    }
    const bool moves = edits.ShiftMs || edits.Start;
    for (const FieldRow& row : FieldTable) {
        const bool set = std::any_of(edits.Sets.begin(), edits.Sets.end(),
                                     [&](const FieldSetting& s) { return s.Row == &row; });
        if (set || (&row == &kStart && moves) || (&row == &kStop && (moves || edits.StopFromDuration)) ||
            (&row == &kNext && edits.Relink) || ((&row == &kRiffSize || &row == &kDataSize) && edits.FixSizes)) {
            edit.Fields.push_back(&row);
        }
    }
    const bool auxi = std::any_of(edit.Fields.begin(), edit.Fields.end(),
                                  [](const FieldRow* row) { return row->Chunk == ChunkKind::Auxi; });
    if (auxi && !HoldsChunk(now, Chunk(ChunkKind::Auxi))) {
        edit.Refused = "no AUXI chunk in this file";
        return edit;
    }
    if (edits.FixSizes && !(HoldsChunk(now, Chunk(ChunkKind::Riff)) && HoldsChunk(now, Chunk(ChunkKind::Data)))) {
        edit.Refused = "no RIFF chunk at byte 0 and data chunk at byte 308 in this file";
        return edit;
    }
    for (const FieldSetting& setting : edits.Sets) {
        Store(edit.After, *setting.Row, setting.Bytes.data());
    }
    if (plan != nullptr && !plan->Refused.empty()) {
        edit.Refused = plan->Refused;
        return edit;
    }
    std::optional<std::int64_t> shift = edits.ShiftMs;
    if (edits.Start) {
        if (options.Chain) {
            if (plan == nullptr || !plan->ShiftMs) {
                edit.Refused = "in no chain found before the writes";
                return edit;
            }
            shift = plan->ShiftMs;
        } else if (const std::optional<Millis> from = StampInstant(FieldTime(now.Header, kStart)); !from) {
            edit.Refused = "StartTime " + TimeText(FieldTime(now.Header, kStart)) + " is no real date from 1601 to 30827";
            return edit;
        } else {
            shift = (*StampInstant(*edits.Start) - *from).count();
        }
    }
    if (shift) {
        for (const FieldRow* row : {&kStart, &kStop}) {
            if (std::string why = Move(edit.After, *row, *shift); !why.empty()) {
                edit.Refused = std::move(why);
                return edit;
            }
        }
    }
    if (edits.StopFromDuration) {
        const TimeStamp start = FieldTime(edit.After, kStart);
        const std::optional<Millis> from = StampInstant(start);
        if (!now.Duration) {
            edit.Refused = NoDuration(now);
            return edit;
        }
        if (!from) {
            edit.Refused = "StartTime " + TimeText(start) + " is no real date from 1601 to 30827";
            return edit;
        }
        // Past the calendar's span, the stop would leave its years anyway.
        const std::uint64_t duration = std::min<std::uint64_t>(*now.Duration, std::uint64_t{1} << 60);
        const std::optional<TimeStamp> stop =
            StampAt(*from + std::chrono::milliseconds{static_cast<std::int64_t>(duration)});
        if (!stop) {
            edit.Refused = "StopTime would leave the years 1601 to 30827";
            return edit;
        }
        Store(edit.After, kStop, &*stop);
    }
    if (edits.Relink) {
        if (plan == nullptr || !plan->NextName) {
            edit.Refused = "not found before the writes";
            return edit;
        }
        if (plan->NextName->size() > kNext.Width) {
            edit.Refused = "the next file's name is longer than 96 bytes";
            return edit;
        }
        std::uint8_t name[96] = {};
        std::memcpy(name, plan->NextName->data(), plan->NextName->size());
        Store(edit.After, kNext, name);
    }
    if (edits.FixSizes) {
        const auto fit = [](std::int64_t size) {
            return static_cast<std::uint32_t>(std::min<std::int64_t>(size, 4294967295));
        };
        StoreNumber(edit.After, kRiffSize, fit(now.Size - 8));
        StoreNumber(edit.After, kDataSize, fit(now.Size - static_cast<std::int64_t>(HeaderSize)));
    }
    return edit;
}

FilePlans RelinkPlans(const std::vector<Recording>& files, std::int64_t maxGapMs) {
    // A part's key: the folder, then the check and the fields a chain keeps;
    // a file that fails the check is a part of its own.
    using Key = std::tuple<std::string, int, std::vector<std::int64_t>, std::size_t>;
    std::map<Key, std::vector<const Recording*>> parts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Recording& file = files[i];
        if (!file.Error.empty()) {
            continue;
        }
        std::vector<std::int64_t> values;
        for (const FieldRow* field : ChainFields) {
            values.push_back(FieldNumber(file.Header, *field));
        }
        const bool ok = file.Check == RecordingCheck::Ok;
        parts[Key{PathText(file.Path.parent_path()), static_cast<int>(file.Check), values, ok ? 0 : i + 1}]
            .push_back(&file);
    }
    FilePlans plans;
    for (auto& [key, part] : parts) {
        std::stable_sort(part.begin(), part.end(), [](const Recording* a, const Recording* b) {
            const auto x = StampInstant(FieldTime(a->Header, kStart));
            const auto y = StampInstant(FieldTime(b->Header, kStart));
            if (x.has_value() != y.has_value()) {
                return x.has_value();  // real dates first
            }
            if (x && *x != *y) {
                return *x < *y;
            }
            return PathText(a->Path.filename()) < PathText(b->Path.filename());
        });
        for (std::size_t i = 0; i < part.size(); ++i) {
            std::string next;
            if (i + 1 < part.size()) {
                const std::optional<std::int64_t> gap =
                    GapMillisec(FieldTime(part[i]->Header, kStop), FieldTime(part[i + 1]->Header, kStart));
                if (gap && *gap <= maxGapMs && *gap >= -maxGapMs) {
                    next = PathText(part[i + 1]->Path.filename());
                }
            }
            plans[part[i]->Text].NextName = next;
        }
    }
    return plans;
}

void PlanChainStart(const Chain& chain, const TimeStamp& start, FilePlans& plans) {
    if (chain.Files.empty()) {
        return;
    }
    const TimeStamp first = FieldTime(chain.Files.front().Header, kStart);
    const std::optional<Millis> from = StampInstant(first);
    FilePlan plan;
    if (!from) {
        plan.Refused = "the chain's first StartTime " + TimeText(first) + " is no real date from 1601 to 30827";
    } else {
        plan.ShiftMs = (*StampInstant(start) - *from).count();
    }
    for (const Recording& file : chain.Files) {
        plans[file.Text] = plan;
    }
}

std::string ShownValue(const RecordingHeader& header, const FieldRow& row) {
    const std::string text = EscapeControls(HeaderFieldText(header, row));
    if (row.Kind == FieldKind::Text || row.Kind == FieldKind::Identifier) {
        return "\"" + text + "\"";
    }
    return text;
}

void CountChanges(ChangeTally& tally, const Recording& now, const PlannedEdit& edit) {
    if (!edit.Skipped.empty() || !edit.Refused.empty()) {
        return;
    }
    for (const FieldRow* row : edit.Fields) {
        const std::string before = ShownValue(now.Header, *row);
        const std::string after = ShownValue(edit.After, *row);
        if (before == after) {
            continue;
        }
        ChangeTally::Field& field = tally.Fields[static_cast<std::size_t>(row - FieldTable)];
        const auto old = std::find_if(field.Old.begin(), field.Old.end(),
                                      [&](const auto& counted) { return counted.first == before; });
        if (old == field.Old.end()) {
            field.Old.emplace_back(before, 1);
        } else {
            ++old->second;
        }
        if (field.New.size() < 2 && std::find(field.New.begin(), field.New.end(), after) == field.New.end()) {
            field.New.push_back(after);
        }
        if (row->Kind == FieldKind::Time && field.OneMove) {
            const std::optional<Millis> from = StampInstant(FieldTime(now.Header, *row));
            const std::optional<Millis> to = StampInstant(FieldTime(edit.After, *row));
            const std::optional<std::int64_t> move =
                from && to ? std::optional<std::int64_t>((*to - *from).count()) : std::nullopt;
            field.OneMove = move && (!field.MoveMs || *field.MoveMs == *move);
            field.MoveMs = move;
        }
    }
}

std::vector<std::string> ChangeLines(const ChangeTally& tally) {
    constexpr std::size_t kShown = 4;  // old values named; the rest are counted
    std::vector<std::string> lines;
    for (const auto& [index, field] : tally.Fields) {
        std::vector<std::pair<std::string, int>> old = field.Old;
        std::stable_sort(old.begin(), old.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        auto files = [](int n) { return n == 1 ? std::string(" (1 file)") : " (" + std::to_string(n) + " files)"; };
        std::string line = FieldName(FieldTable[index]);
        line += ": ";
        int rest = 0;
        for (std::size_t i = 0; i < old.size(); ++i) {
            if (i < kShown) {
                line += i > 0 ? ", " : "";
                line += old[i].first;
                line += files(old[i].second);
            } else {
                rest += old[i].second;
            }
        }
        if (rest > 0) {
            line += ", ";
            line += std::to_string(old.size() - kShown);
            line += " more values";
            line += files(rest);
        }
        line += " -> ";
        if (field.New.size() == 1) {
            line += field.New.front();
        } else if (field.OneMove && field.MoveMs) {
            line += "each moved by ";
            line += ShiftText(*field.MoveMs);
        } else {
            line += "different values";
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace kalimber
