// The JSON writer: one object per line with its "type", chunks keyed by the
// table of fields, written with nlohmann-json, bad UTF-8 as U+FFFD.
#include <nlohmann/json.hpp>

#include "cli/field_values.h"
#include "cli/writers.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json Time(const TimeStamp& t) {
    return Json{{"Year", t.Year.Get()},       {"Month", t.Month.Get()},   {"DayOfWeek", t.DayOfWeek.Get()},
                {"Day", t.Day.Get()},         {"Hour", t.Hour.Get()},     {"Minute", t.Minute.Get()},
                {"Second", t.Second.Get()}, {"Millisecond", t.Millisecond.Get()}};
}

Json FieldValue(const RecordingHeader& header, const FieldRow& row) {
    switch (row.Kind) {
        case FieldKind::Unsigned:
        case FieldKind::Signed:
            return FieldNumber(header, row);
        case FieldKind::Identifier:
        case FieldKind::Text:
            return FieldString(header, row);
        case FieldKind::Time:
            break;
    }
    return Time(FieldTime(header, row));
}

// A chunk's fields as an object, or null where the file does not hold it.
Json Chunk(const Recording& recording, ChunkKind kind) {
    const ChunkRow& chunk = ChunkTable[static_cast<std::size_t>(kind)];
    if (!HoldsChunk(recording, chunk)) {
        return Json();
    }
    Json object = Json::object();
    for (const FieldRow& row : FieldTable) {
        if (row.Chunk == kind) {
            object[row.Label] = FieldValue(recording.Header, row);
        }
    }
    return object;
}


}  // namespace

std::string JsonRecord(const Recording& recording) {
    Json record{{"type", "recording"}, {"path", recording.Text}, {"size", recording.Size}};
    for (const ChunkRow& chunk : ChunkTable) {
        record[chunk.Name] = Chunk(recording, static_cast<ChunkKind>(&chunk - ChunkTable.data()));
    }
    const bool ok = recording.Check == RecordingCheck::Ok;
    record[CheckLabel] = CheckName(recording.Check);
    record["BlockMode"] = ok ? Json(BlockMode(recording.Header)) : Json();
    record[DurationLabel] = recording.Duration ? Json(*recording.Duration) : Json();
    return Dump(record);
}

std::string JsonChain(const Chain& chain, const ChainSummary& summary) {
    static constexpr const char* kKinds[] = {"gap", "overlap", "unreadable", "field"};
    Json files = Json::array();
    for (const Recording& file : chain.Files) {
        files.push_back(file.Text);
    }
    Json breaks = Json::array();
    for (const ChainBreak& b : summary.Breaks) {
        const bool field = b.Kind == BreakKind::Field;
        const bool check = b.OfCheck;
        breaks.push_back(Json{{"from", b.From},
                              {"to", b.To},
                              {"kind", kKinds[static_cast<int>(b.Kind)]},
                              {"gap_ms", field || b.Kind == BreakKind::Unreadable ? Json() : Json(b.GapMs)},
                              {"field", field ? Json(b.Field) : Json()},
                              {"from_value", !field ? Json() : check ? Json(b.FromCheck) : Json(b.FromValue)},
                              {"to_value", !field ? Json() : check ? Json(b.ToCheck) : Json(b.ToValue)}});
    }
    auto end = [](const std::optional<ChainEnd>& e) {
        if (!e) {
            return Json();
        }
        Json object{{"name", e->Name}, {"named_by", e->NamedBy}};
        if (!e->Why.empty()) {
            object["reason"] = e->Why;  // a file that is there, but no .wav
        }
        return object;
    };
    const Json line{{"type", "chain"},
                    {"chain", Json{{"files", files},
                                   {field::StartTime.Label, Time(summary.StartTime)},
                                   {field::StopTime.Label, Time(summary.StopTime)},
                                   {DurationLabel, summary.WavFileDurationMillisec},
                                   {"breaks", breaks},
                                   {"missing", end(chain.Missing)},
                                   {"loop", end(chain.Loop)},
                                   {"fork", chain.Fork ? Json{{"name", chain.Fork->Name},
                                                              {"named_by", chain.Fork->NamedBy},
                                                              {"first", chain.Fork->First}}
                                                       : Json()}}}};
    return Dump(line);
}

std::string JsonError(const std::string& path, const std::string& reason) {
    return Dump(Json{{"type", "error"}, {"path", path}, {"error", reason}});
}

std::string JsonPatch(const PatchOutcome& outcome) {
    const std::vector<const FieldRow*> fields = RecordFields(outcome);
    auto values = [&](const std::optional<RecordingHeader>& header) {
        if (!header) {
            return Json();
        }
        Json object = Json::object();
        for (const FieldRow* row : fields) {
            object[FieldName(*row)] = FieldValue(*header, *row);
        }
        return object;
    };
    static constexpr const char* kNames[] = {"patched", "would-patch", "unchanged", "refused", "failed", "skipped"};
    const bool skipped = outcome.Result == PatchResult::Skipped;
    Json record{{"type", "patch"},
                {"path", outcome.Text},
                {"result", kNames[static_cast<int>(outcome.Result)]},
                {"before", values(outcome.Before)},
                {"after", values(outcome.Before ? outcome.After : std::nullopt)},
                {"error", outcome.Error.empty() || skipped ? Json() : Json(outcome.Error)}};
    if (skipped) {
        record["reason"] = outcome.Error;
    }
    return Dump(record);
}

// One JSON object a line.
Writer MakeJsonWriter(Console& console) {
    Writer writer = BaseWriter(console);
    writer.Record = [](const Recording& recording, const ChainColumns*) { WriteOutput(JsonRecord(recording) + "\n"); };
    writer.Error = [](const std::string& path, const std::string& reason, const ChainColumns*) {
        WriteOutput(JsonError(path, reason) + "\n");
    };
    writer.Chain = [](const Chain& chain, const ChainSummary& summary) {
        WriteOutput(JsonChain(chain, summary) + "\n");
    };
    writer.Patch = [](const PatchOutcome& outcome) { WriteOutput(JsonPatch(outcome) + "\n"); };
    return writer;
}

std::string WellFormedUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);  // nothing to replace
    }
    // The JSON writer's own replacement, so both forms agree byte for byte.
    return Json::parse(Dump(Json(std::string(bytes)))).get<std::string>();
}

}  // namespace kalimber
