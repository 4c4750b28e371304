// One JSON object per recording, keyed by the text report's labels and
// grouped by its sections; written with nlohmann-json, bad UTF-8 as U+FFFD.
#include <cstring>

#include <nlohmann/json.hpp>

#include "cli/writers.h"
#include "header/recording_header.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string Id(const ChunkId& id) {
    return std::string(reinterpret_cast<const char*>(id.data()), id.size());
}

Json Time(const TimeStamp& t) {
    return Json{{"Year", t.Year.Get()},       {"Month", t.Month.Get()},   {"DayOfWeek", t.DayOfWeek.Get()},
                {"Day", t.Day.Get()},         {"Hour", t.Hour.Get()},     {"Minute", t.Minute.Get()},
                {"Second", t.Second.Get()}, {"Millisecond", t.Millisecond.Get()}};
}

Json Riff(const RiffChunk& c) {
    return Json{{"CnkId", Id(c.Id)}, {"CnkSize", c.Size.Get()}, {"CnkFormat", Id(c.Format)}};
}

Json Fmt(const FmtChunk& c) {
    return Json{{"CnkId", Id(c.Id)},
                {"CnkSize", c.Size.Get()},
                {"CnkAudioFormat", c.AudioFormat.Get()},
                {"CnkNumChan", c.NumChannels.Get()},
                {"CnkSampleRate", c.SampleRate.Get()},
                {"CnkByteRate", c.ByteRate.Get()},
                {"CnkBlockAlign", c.BlockAlign.Get()},
                {"CnkBitPerSample", c.BitPerSample.Get()}};
}

Json Auxi(const AuxiChunk& c) {
    return Json{{"CnkId", Id(c.Id)},
                {"CnkSize", c.Size.Get()},
                {"StartTime", Time(c.StartTime)},
                {"StopTime", Time(c.StopTime)},
                {"CenterFreq", c.CenterFreq.Get()},
                {"ADFrequency", c.ADFrequency.Get()},
                {"IFFrequency", c.IFFrequency.Get()},
                {"Bandwidth", c.Bandwidth.Get()},
                {"IQOffset", c.IQOffset.Get()},
                {"DBOffset", c.DBOffset.Get()},
                {"MaxVal", c.MaxVal.Get()},
                {"Unused4", c.Unused4.Get()},
                {"Unused5", c.Unused5.Get()},
                {"NextFileName", FieldText(c.NextFileName, sizeof c.NextFileName)}};
}

Json Orva(const OrvaChunk& c) {
    Json orva{{"CnkId", Id(c.Id)},
              {"CnkSize", c.Size.Get()},
              {"LocalToUTC", c.LocalToUTC.Get()},
              {"LastDemodFreq", c.LastDemodFreq.Get()},
              {"LastDemodBw", c.LastDemodBw.Get()},
              {"LastDemodMode", c.LastDemodMode.Get()},
              {"Filter", c.Filter},
              {"Attenuator", c.Attenuator},
              {"VID", c.VID.Get()},
              {"PID", c.PID.Get()},
              {"SN", FieldText(c.SN, sizeof c.SN)},
              {"RxMode", c.RxMode},
              {"Options1", c.Options1},
              {"Options2", c.Options2},
              {"Version", c.Version}};
    const LeU32* unused[] = {&c.Unused1, &c.Unused2, &c.Unused3, &c.Unused4, &c.Unused5,
                             &c.Unused6, &c.Unused7, &c.Unused8, &c.Unused9};
    for (std::size_t i = 0; i < std::size(unused); ++i) {
        orva["Unused" + std::to_string(i + 1)] = unused[i]->Get();
    }
    return orva;
}

}  // namespace

void WriteJsonRecord(const std::string& path, std::int64_t size, RecordingCheck check) {
    const RecordingHeader& h = g_RecordingHeader;
    const bool ok = check == RecordingCheck::Ok;
    auto chunk = [&](const ChunkSpan& span, const char* id, Json value) {
        return HoldsChunk(h, size, span, id) ? value : Json();
    };
    const Json record{{"type", "recording"},
                      {"path", path},
                      {"size", size},
                      {"RIFF", chunk(RiffSpan, "RIFF", Riff(h.Riff))},
                      {"FMT", chunk(FmtSpan, "fmt ", Fmt(h.Fmt))},
                      {"AUXI", chunk(AuxiSpan, "auxi", Auxi(h.Auxi))},
                      {"ORVA", chunk(OrvaSpan, "orva", Orva(h.Orva))},
                      {"DATA", chunk(DataSpan, "data", Json{{"CnkId", Id(h.Data.Id)}, {"CnkSize", h.Data.Size.Get()}})},
                      {"Check", CheckName(check)},
                      {"BlockMode", ok ? Json((h.Orva.Options1 >> 1) & 3) : Json()},
                      {"WavFileDurationMillisec", HasDuration(check, h) ? Json(g_WavFileDurationMillisec) : Json()}};
    WriteOutput(Dump(record) + "\n");
}

void WriteJsonChain(const Chain& chain, const ChainSummary& summary) {
    static constexpr const char* kKinds[] = {"gap", "overlap", "unreadable", "field"};
    Json files = Json::array();
    for (const FoundPath& file : chain.Files) {
        files.push_back(file.Text);
    }
    Json breaks = Json::array();
    for (const ChainBreak& b : summary.Breaks) {
        const bool field = b.Kind == BreakKind::Field;
        const bool check = b.Field == "Check";
        breaks.push_back(Json{{"from", b.From},
                              {"to", b.To},
                              {"kind", kKinds[static_cast<int>(b.Kind)]},
                              {"gap_ms", field || b.Kind == BreakKind::Unreadable ? Json() : Json(b.GapMs)},
                              {"field", field ? Json(b.Field) : Json()},
                              {"from_value", !field ? Json() : check ? Json(b.FromCheck) : Json(b.FromValue)},
                              {"to_value", !field ? Json() : check ? Json(b.ToCheck) : Json(b.ToValue)}});
    }
    auto end = [](const std::optional<ChainEnd>& e) {
        return e ? Json{{"name", e->Name}, {"named_by", e->NamedBy}} : Json();
    };
    const Json line{{"type", "chain"},
                    {"chain", Json{{"files", files},
                                   {"StartTime", Time(summary.StartTime)},
                                   {"StopTime", Time(summary.StopTime)},
                                   {"WavFileDurationMillisec", summary.WavFileDurationMillisec},
                                   {"breaks", breaks},
                                   {"missing", end(chain.Missing)},
                                   {"loop", end(chain.Loop)},
                                   {"fork", chain.Fork ? Json{{"name", chain.Fork->Name},
                                                              {"named_by", chain.Fork->NamedBy},
                                                              {"first", chain.Fork->First}}
                                                       : Json()}}}};
    WriteOutput(Dump(line) + "\n");
}

void WriteJsonError(const std::string& path, const std::string& reason) {
    WriteOutput(Dump(Json{{"type", "error"}, {"path", path}, {"error", reason}}) + "\n");
}

std::string WellFormedUtf8(std::string_view bytes) {
    if (IsAscii(bytes)) {
        return std::string(bytes);  // nothing to replace
    }
    // The JSON writer's own replacement, so both forms agree byte for byte.
    return Json::parse(Dump(Json(std::string(bytes)))).get<std::string>();
}

bool HoldsChunk(const RecordingHeader& header, std::int64_t size, const ChunkSpan& span, const char* id) {
    return size >= static_cast<std::int64_t>(span.Offset + span.Length) &&
           std::memcmp(HeaderBytes(header) + span.Offset, id, 4) == 0;
}

bool HasDuration(RecordingCheck check, const RecordingHeader& header) {
    return check == RecordingCheck::Ok && ((header.Orva.Options1 >> 1) & 3) <= 1;
}

const char* CheckName(RecordingCheck check) {
    switch (check) {
        case RecordingCheck::Ok:
            return "ok";
        case RecordingCheck::NotOrva:
            return "not-orva";
        case RecordingCheck::UnsupportedVersion:
            break;
    }
    return "unsupported-version";
}

std::string FieldText(const std::uint8_t* field, std::size_t width) {
    std::size_t length = 0;
    while (length < width && field[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace kalimber
