// In-process: the table of fields against the hand-written text report, the
// writers as functions of a loaded recording, the chain checks at their edges.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "cli/chain.h"
#include "cli/recording.h"
#include "cli/writers.h"
#include "header/fields.h"
#include "header/header_report.h"
#include "tests/test_support.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

using Json = nlohmann::json;

// The sample header with every number of the layout set to bytes of its own
// (a signed one negative), so that a row of the table with a wrong offset,
// width or sign reads another value than the report prints.
RecordingHeader DistinctHeader() {
    RecordingHeader h = sample::MakeHeader(1000);
    std::uint8_t* bytes = HeaderBytes(h);
    for (std::size_t r = 0; r < FieldCount; ++r) {
        const FieldRow& row = FieldTable[r];
        if (row.Kind == FieldKind::Unsigned || row.Kind == FieldKind::Signed || row.Kind == FieldKind::Time) {
            for (std::size_t k = 0; k < row.Width; ++k) {
                bytes[row.Offset + k] = static_cast<std::uint8_t>(r * 13 + k * 5 + 1);
            }
            bytes[row.Offset + row.Width - 1] |= row.Kind == FieldKind::Signed ? 0x80 : 0;
        }
    }
    return h;
}

// The value as the report prints it after its label.
std::string Shown(const RecordingHeader& h, const FieldRow& row) {
    char text[64];
    const std::string label = row.Label;
    if (row.Kind == FieldKind::Time) {
        const TimeStamp t = FieldTime(h, row);
        std::snprintf(text, sizeof text, "%u/%u/%u  %u:%u:%u:%u", unsigned{t.Year.Get()}, unsigned{t.Month.Get()},
                      unsigned{t.Day.Get()}, unsigned{t.Hour.Get()}, unsigned{t.Minute.Get()},
                      unsigned{t.Second.Get()}, unsigned{t.Millisecond.Get()});
        return text;
    }
    if (row.Kind == FieldKind::Identifier || row.Kind == FieldKind::Text) {
        return FieldString(h, row);
    }
    if (label == "VID" || label == "PID") {
        std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(FieldNumber(h, row)));
        return text;
    }
    return std::to_string(FieldNumber(h, row));
}

TEST(FieldTable, EveryRowIsALineOfTheTextReportWithTheSameValue) {
    const RecordingHeader h = DistinctHeader();
    std::string report;
    {
        CapturedOutput output;
        PrintHeaderSections(h, ShownText::AsStored);
        report = output.Take();
    }
    for (const FieldRow& row : FieldTable) {
        const std::string name = ChunkTable[static_cast<std::size_t>(row.Chunk)].Name;
        SCOPED_TRACE(name + " " + row.Label);
        const std::size_t section = report.find("---" + name + " Chunk---\n");
        ASSERT_NE(section, std::string::npos);
        const std::size_t next = report.find("\n---", section + 1);
        // "   Label: value", or "   Label value" (CnkBitPerSample), the time's extra blank kept.
        std::istringstream lines(report.substr(section, next - section));
        bool found = false;
        for (std::string line; std::getline(lines, line);) {
            const std::string head = std::string("   ") + row.Label;
            if (line.rfind(head, 0) != 0 || (line[head.size()] != ':' && line[head.size()] != ' ')) {
                continue;
            }
            found = true;
            std::string value = line.substr(head.size() + 1);
            value.erase(0, value.find_first_not_of(' '));
            EXPECT_EQ(value.substr(0, Shown(h, row).size()), Shown(h, row)) << line;
        }
        EXPECT_TRUE(found) << report;
    }
}

// A sample recording cut to size bytes, or changed by a row, as the command line loads it.
Recording Loaded(const RecordingHeader& header, std::size_t size) {
    Bytes bytes = RecordingWith(header, sample::SampleDataBytes);
    bytes.resize(size);
    WriteFileRaw("r.wav", bytes);
    return LoadRecording({"r.wav", "r.wav", ""});
}

TEST(Writers, AChunkThatIsNotThereIsNullInJsonAndEmptyInCsv) {
    ScratchDir dir;
    const RecordingHeader sampleHeader = sample::MakeHeader(sample::SampleDataBytes);
    const std::size_t whole = HeaderSize + sample::SampleDataBytes;
    auto with = [&](auto change) {
        RecordingHeader h = sampleHeader;
        change(h);
        return h;
    };
    const struct {
        const char* name;
        RecordingHeader header;
        std::size_t size;
        const char* nulls;  // the chunks that are null, by their first letters
        bool duration;
    } cases[] = {
        {"whole", sampleHeader, whole, "", true},
        {"cut inside the DATA head: truncated", sampleHeader, 315, "D", false},
        {"cut at the end of the ORVA chunk: truncated", sampleHeader, 308, "D", false},
        {"cut inside the ORVA chunk: truncated", sampleHeader, 307, "OD", false},
        {"cut at the end of the AUXI chunk: no orva", sampleHeader, 208, "OD", false},
        {"cut inside the AUXI chunk", sampleHeader, 207, "AOD", false},
        {"AUXI identifier changed", with([](RecordingHeader& h) { h.Auxi.Id[3] = 'j'; }), whole, "A", true},
        {"fmt identifier in capitals", with([](RecordingHeader& h) { sample::SetId(h.Fmt.Id, "FMT "); }), whole, "F",
         true},
        {"no orva chunk: no duration", with([](RecordingHeader& h) { h.Orva.Id[0] = 'x'; }), whole, "O", false},
        {"block mode 2: no duration", with([](RecordingHeader& h) { h.Orva.Options1 = 4; }), whole, "", false},
        {"version 2: no duration", with([](RecordingHeader& h) { h.Orva.Version = 2; }), whole, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Recording r = Loaded(c.header, c.size);
        const Json record = Json::parse(JsonRecord(r));
        const std::vector<std::string> header = CsvHeaderFields(false);
        const std::vector<std::string> row = CsvRecordFields(r, nullptr);
        ASSERT_EQ(row.size(), header.size());
        for (const ChunkRow& chunk : ChunkTable) {
            const bool null = std::string(c.nulls).find(chunk.Name[0]) != std::string::npos;
            EXPECT_EQ(record[chunk.Name].is_null(), null) << chunk.Name;
            for (std::size_t i = 0; i < header.size(); ++i) {
                const std::size_t field = FieldIndex(header[i]);
                if (field < FieldCount && FieldTable[field].Chunk == static_cast<ChunkKind>(&chunk - ChunkTable.data())) {
                    // A text field may be empty where it is there.
                    EXPECT_TRUE(null ? row[i].empty() : !row[i].empty() || FieldTable[field].Kind == FieldKind::Text)
                        << header[i];
                }
            }
        }
        EXPECT_EQ(record["WavFileDurationMillisec"].is_null(), !c.duration);
        EXPECT_EQ(row[3].empty(), !c.duration);
        EXPECT_EQ(record["BlockMode"].is_null(), r.Check != RecordingCheck::Ok);
        EXPECT_EQ(record["Check"] == "truncated", std::string(c.name).find("truncated") != std::string::npos);
        EXPECT_EQ(record["type"], "recording");
    }
}

TEST(Writers, EveryCsvRowIsAsWideAsItsHeader) {
    ScratchDir dir;
    const Recording r = Loaded(sample::MakeHeader(sample::SampleDataBytes), 400);
    const ChainColumns columns{"a.wav", "gap 5000 ms"};
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain);
        const std::size_t width = CsvHeaderFields(chain).size();
        EXPECT_EQ(CsvRecordFields(r, chain ? &columns : nullptr).size(), width);
        EXPECT_EQ(CsvErrorFields("x.wav", "Permission denied", chain ? &columns : nullptr).size(), width);
    }
    Chain one;
    one.Files.push_back(r);
    EXPECT_EQ(CsvChainFields(one, CheckChain(one, 1000)).size(), CsvChainHeaderFields().size());
    EXPECT_EQ(Json::parse(JsonError("x.wav", "Permission denied"))["type"], "error");
    EXPECT_EQ(Json::parse(JsonChain(one, CheckChain(one, 1000)))["type"], "chain");
}

TEST(Chains, GapsOnTheCalendar) {
    auto at = [](unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second,
                 unsigned millisecond) {
        TimeStamp t{};
        t.Year.Set(static_cast<std::uint16_t>(year));
        t.Month.Set(static_cast<std::uint16_t>(month));
        t.Day.Set(static_cast<std::uint16_t>(day));
        t.Hour.Set(static_cast<std::uint16_t>(hour));
        t.Minute.Set(static_cast<std::uint16_t>(minute));
        t.Second.Set(static_cast<std::uint16_t>(second));
        t.Millisecond.Set(static_cast<std::uint16_t>(millisecond));
        return t;
    };
    const TimeStamp newYear = at(2022, 1, 1, 0, 0, 0, 0);
    constexpr std::int64_t kNone = INT64_MIN;
    const struct {
        const char* name;
        TimeStamp stop;
        TimeStamp start;
        std::int64_t gap;
    } cases[] = {
        {"over New Year", at(2021, 12, 31, 23, 59, 59, 999), newYear, 1},
        {"backwards over New Year", newYear, at(2021, 12, 31, 23, 59, 59, 999), -1},
        {"29 February of a leap year", at(2024, 2, 29, 0, 0, 0, 0), at(2024, 3, 1, 0, 0, 0, 0), 86400000},
        {"29 February of another year", at(2023, 2, 29, 0, 0, 0, 0), newYear, kNone},
        {"31 April", at(2021, 4, 31, 0, 0, 0, 0), newYear, kNone},
        {"month 13", newYear, at(2021, 13, 1, 0, 0, 0, 0), kNone},
        {"month 0", at(2021, 0, 1, 0, 0, 0, 0), newYear, kNone},
        {"month 257, which a byte would hold as 1", at(2021, 257, 1, 0, 0, 0, 0), newYear, kNone},
        {"day 257, which a byte would hold as 1", at(2021, 1, 257, 0, 0, 0, 0), newYear, kNone},
        {"day 0", at(2021, 1, 0, 0, 0, 0, 0), newYear, kNone},
        {"hour 24", at(2021, 12, 31, 24, 0, 0, 0), newYear, kNone},
        {"minute 60", at(2021, 12, 31, 23, 60, 0, 0), newYear, kNone},
        {"second 60", at(2021, 12, 31, 23, 59, 60, 0), newYear, kNone},
        {"millisecond 1000", at(2021, 12, 31, 23, 59, 59, 1000), newYear, kNone},
        {"all zero", TimeStamp{}, newYear, kNone},
        {"year 1 to 9999", at(1, 1, 1, 0, 0, 0, 0), at(9999, 12, 31, 23, 59, 59, 999), 315537897599999},
        {"a year past the calendar's", at(40000, 1, 1, 0, 0, 0, 0), newYear, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GapMillisec(c.stop, c.start).value_or(kNone), c.gap);
    }
}

TEST(Chains, AGapOrOverlapOfMaxGapHoldsAndOneMillisecondMoreBreaks) {
    ScratchDir dir;
    constexpr std::int64_t kMaxGap = 1000;
    const struct {
        std::int64_t gap;  // from the first file's stop to the second one's start
        int breaks;
        BreakKind kind;
    } cases[] = {
        {kMaxGap, 0, BreakKind::Gap},      {kMaxGap + 1, 1, BreakKind::Gap},     {-kMaxGap, 0, BreakKind::Gap},
        {-kMaxGap - 1, 1, BreakKind::Overlap}, {0, 0, BreakKind::Gap},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        Chain chain;
        const auto start = sample::SampleStart();
        chain.Files.push_back(Loaded(sample::MakeSessionPart(start, "b.wav"), HeaderSize + sample::SampleDataBytes));
        chain.Files.push_back(Loaded(sample::MakeSessionPart(start + std::chrono::milliseconds(160 + c.gap), ""),
                                     HeaderSize + sample::SampleDataBytes));
        const ChainSummary summary = CheckChain(chain, kMaxGap);
        ASSERT_EQ(summary.Breaks.size(), static_cast<std::size_t>(c.breaks));
        EXPECT_EQ(summary.WavFileDurationMillisec, 320u);
        if (c.breaks == 1) {
            EXPECT_EQ(summary.Breaks[0].Kind, c.kind);
            EXPECT_EQ(summary.Breaks[0].GapMs, c.gap);
        }
    }
}

// A file taken in by one open: its first bytes, size and identity (a FIFO's
// identity too, so that a second name of it is told apart), or why not.
TEST(Recordings, AFileIsLoadedByOneOpenWithItsIdentity) {
    const ScratchDir scratch;
    sample::WriteFileBytes("short.wav", Bytes(100, 7));
    ASSERT_EQ(mkfifo("fifo.wav", 0600), 0);
    const struct {
        const char* path;
        std::int64_t got;
        std::int64_t size;
        bool identified;
        const char* error;
    } cases[] = {
        {"short.wav", 100, 100, true, ""},
        {"fifo.wav", -1, -1, true, "not a regular file"},
        {"gone.wav", -1, -1, false, "No such file or directory"},
    };
    for (const auto& c : cases) {
        std::uint8_t bytes[HeaderSize] = {};
        std::string error;
        OpenedFile opened;
        EXPECT_EQ(ReadRecordingStart(c.path, bytes, sizeof bytes, error, opened), c.got) << c.path;
        EXPECT_EQ(opened.Size, c.size) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
        FileIdentity identity;
        ASSERT_EQ(opened.Identified, c.identified) << c.path;
        if (c.identified) {
            ASSERT_TRUE(IdentifyPath(c.path, identity));
            EXPECT_TRUE(opened.Identity == identity) << c.path;
        }
        EXPECT_EQ(bytes[c.got > 0 ? c.got - 1 : 0], c.got > 0 ? 7 : 0) << c.path;
        EXPECT_EQ(bytes[HeaderSize - 1], 0) << c.path;  // nothing past what was read
    }
}

TEST(Chains, ALinkNamesTheFileAfterItsLastSeparator) {
    const struct {
        std::string stored;
        const char* name;
    } cases[] = {
        {"b.wav", "b.wav"},          {"rec/b.wav", "b.wav"},   {"C:\\rec\\b.wav", "b.wav"},
        {"rec/", ""},                {"a\\", ""},              {std::string("b.wav\0c.wav", 11), "b.wav"},
        {"", ""},                    {"../b.wav", "b.wav"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkName(c.stored), c.name) << c.stored;
    }
}

}  // namespace
}  // namespace kalimber::test
