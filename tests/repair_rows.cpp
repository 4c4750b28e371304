// Rows of the repair options: every edit through the real executable, the
// bytes of each file checked afterwards, and the slips that write nothing.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/expected_text.h"
#include "tests/process_harness.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

constexpr std::size_t kStart = 44;  // StartTime; StopTime follows at 60
constexpr std::size_t kStop = 60;

// A stamp's eight words, day of week third, as the file stores them.
struct Stamp {
    std::uint16_t Words[8];
};

Bytes Put(Bytes bytes, std::size_t offset, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

Bytes Put(Bytes bytes, std::size_t offset, const Stamp& stamp) {
    for (std::size_t i = 0; i < 8; ++i) {
        bytes = Put(std::move(bytes), offset + 2 * i, stamp.Words[i], 2);
    }
    return bytes;
}

Bytes PutText(Bytes bytes, std::size_t offset, std::size_t width, const std::string& text) {
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
              bytes.begin() + static_cast<std::ptrdiff_t>(offset + width), 0);
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

// The sample with its start and stop as given.
Bytes Timed(const Stamp& start, const Stamp& stop) {
    return Put(Put(SampleRecording(), kStart, start), kStop, stop);
}

// One file of a split recording, 160 ms long, offsetMs after the sample's
// start, naming next.
Bytes Part(int offsetMs, const std::string& next) {
    const RecordingHeader h =
        sample::MakeSessionPart(sample::SampleStart() + std::chrono::milliseconds{offsetMs}, next);
    return RecordingWith(h, sample::SampleDataBytes);
}

std::vector<Case> RepairCases() {
    const Bytes sample = SampleRecording();
    const std::string hint = "Try 'kalimber --help'.\n";
    const std::string sep = EndsWith(kExe, ".exe") ? "\\" : "/";  // as a folder's files are named
    auto usage = [&](const char* name, std::vector<std::string> arguments, const std::string& error) {
        return Case{name, Where::Everywhere, {{"a.wav", sample, {}}}, std::move(arguments), 2, "",
                    "kalimber: " + error + "\n" + hint};
    };
    const std::string x96(96, 'x');
    // The sample starts on Saturday 2021-04-17 at 14:03:09.045 and stops 160 ms later.
    const Stamp sampleStart{{2021, 4, 6, 17, 14, 3, 9, 45}};
    const Stamp sampleStop{{2021, 4, 6, 17, 14, 3, 9, 205}};
    Bytes bounds = Put(Put(sample, 80, 4294967295u, 4), 84, 0, 4);  // ADFrequency, IFFrequency
    bounds = Put(Put(Put(bounds, 92, 4294967295u, 4), 96, 0, 4), 100, 4294967295u, 4);
    bounds = Put(Put(Put(bounds, 104, 1, 4), 108, 4294967295u, 4), 76, 4294967295u, 4);
    bounds = Put(Put(bounds, kStart, Stamp{{1601, 1, 1, 1, 0, 0, 0, 0}}), kStop, Stamp{{30827, 12, 5, 31, 23, 59, 59, 999}});
    bounds = PutText(bounds, 112, 96, x96);
    // A session renamed and shuffled: twenty files 160 ms apart whose links
    // name their old names; relinked, each names the next in time.
    std::vector<File> shuffled;
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        names.push_back("d/r" + std::to_string((i * 7) % 20 + 10) + ".wav");
    }
    for (int i = 0; i < 20; ++i) {
        const std::string next = i + 1 < 20 ? names[static_cast<std::size_t>(i + 1)].substr(2) : "";
        shuffled.push_back({names[static_cast<std::size_t>(i)], Part(i * 160, "old" + std::to_string(i + 1) + ".wav"),
                            Part(i * 160, next)});
    }
    // A recording cut short at 1000 bytes, its sizes those of the whole file.
    const Bytes cut(sample.begin(), sample.begin() + 1000);
    const Bytes chainA = Part(0, "b.wav");
    const Bytes fourteen = Put(sample, 76, 14200000, 4);
    const Case rows[] = {
        {"--set: every settable field at its bounds", Where::Everywhere, {{"a.wav", sample, bounds}},
         {"--set", "ADFrequency=4.294967295GHz", "--set", "IFFrequency=0", "--set", "IQOffset=4294967295",
          "--set", "dboffset=0", "--set", "MaxVal=4294967295", "--set", "Unused4=1", "--set", "Unused5=4294967295",
          "--set", "NextFileName=" + x96, "--set", "StartTime=1601-01-01T00:00:00", "--set",
          "StopTime=30827-12-31 23:59:59.999", "--cf", "4294967295", "-q", "a.wav"},
         0, "", ""},
        usage("--set: a number past 32 bits", {"--set", "MaxVal=4294967296", "a.wav"},
              "--set MaxVal: '4294967296' is not a whole number from 0 to 4294967295"),
        usage("--set: a time before 1601", {"--set", "StartTime=1600-12-31T23:59:59", "a.wav"},
              "--set StartTime: '1600-12-31T23:59:59' is not a time YYYY-MM-DDTHH:MM:SS[.mmm] on a real date from "
              "1601 to 30827"),
        usage("--set: a NextFileName of 97 bytes", {"--set", "NextFileName=" + x96 + "y", "a.wav"},
              "--set NextFileName: '" + x96 + "y' is longer than 96 bytes"),
        usage("--set: a field of another chunk", {"--set", "SN=x", "a.wav"},
              "--set: 'SN' cannot be set; the fields that can: StartTime, StopTime, CenterFreq, ADFrequency, "
              "IFFrequency, Bandwidth, IQOffset, DBOffset, MaxVal, Unused4, Unused5, NextFileName"),
        usage("--set and --cf on one field", {"--cf", "7M", "--set", "centerfreq=7M", "a.wav"},
              "CenterFreq is set twice"),
        usage("--set StartTime with --shift", {"--shift", "1h", "--set", "StartTime=2021-01-01T00:00:00", "a.wav"},
              "--set StartTime= excludes --shift"),
        usage("--set NextFileName with --relink", {"--relink", "--set", "NextFileName=", "a.wav"},
              "--set NextFileName= excludes --relink"),
        usage("--relink with --chain", {"--relink", "--chain", "a.wav"},
              "--relink writes the links that --chain follows; the two do not go together"),
        usage("--shift: not whole milliseconds", {"--shift", "+0.0005s", "a.wav"},
              "--shift: '+0.0005s' is not a duration in whole milliseconds (+1h, -1h30min, +2.5s, -250ms or "
              "-01:30:00)"),
        {"--start without --chain takes one file", Where::Everywhere, {{"d/a.wav", sample, {}}, {"d/b.wav", sample, {}}},
         {"--start", "2021-04-17T15:00:00", "d/a.wav", "d"}, 2, "",
         "kalimber: --start without --chain takes one file; the PATHs name 2\n" + hint},
        // The calendar: month and year ends, leap days, the weekday.
        {"--shift over a month end", Where::Everywhere,
         {{"a.wav", Timed({{2021, 4, 5, 30, 23, 30, 0, 0}}, {{2021, 4, 5, 30, 23, 59, 0, 0}}),
           Timed({{2021, 5, 6, 1, 0, 30, 0, 0}}, {{2021, 5, 6, 1, 0, 59, 0, 0}})}},
         {"--shift", "+1h", "a.wav"}, 0,
         "a.wav: StartTime 2021-04-30 23:30:00.000 -> 2021-05-01 00:30:00.000, StopTime 2021-04-30 23:59:00.000 -> "
         "2021-05-01 00:59:00.000\n",
         "StartTime: 2021-04-30 23:30:00.000 (1 file) -> 2021-05-01 00:30:00.000\n"
         "StopTime: 2021-04-30 23:59:00.000 (1 file) -> 2021-05-01 00:59:00.000\n"
         "1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"--shift onto a leap day, and past a year that is none", Where::Everywhere,
         {{"a.wav", Timed({{2024, 2, 3, 28, 12, 0, 0, 0}}, {{2024, 2, 3, 28, 12, 0, 0, 0}}),
           Timed({{2024, 2, 4, 29, 12, 0, 0, 0}}, {{2024, 2, 4, 29, 12, 0, 0, 0}})},
          {"b.wav", Timed({{2100, 2, 0, 28, 12, 0, 0, 0}}, {{2100, 2, 0, 28, 12, 0, 0, 0}}),
           Timed({{2100, 3, 1, 1, 12, 0, 0, 0}}, {{2100, 3, 1, 1, 12, 0, 0, 0}})}},
         {"--shift", "1d", "a.wav", "b.wav"}, 0, "*",
         "StartTime: 2024-02-28 12:00:00.000 (1 file), 2100-02-28 12:00:00.000 (1 file) -> each moved by +1d\n"
         "StopTime: 2024-02-28 12:00:00.000 (1 file), 2100-02-28 12:00:00.000 (1 file) -> each moved by +1d\n"
         "2 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"--shift back over a year end, forth over another", Where::Everywhere,
         {{"a.wav", Timed({{2022, 1, 6, 1, 0, 0, 0, 0}}, {{2022, 1, 6, 1, 0, 0, 0, 0}}),
           Timed({{2021, 12, 5, 31, 23, 59, 59, 999}}, {{2021, 12, 5, 31, 23, 59, 59, 999}})}},
         {"--shift=-1ms", "-q", "a.wav"}, 0, "", ""},
        {"--shift below 1601 is refused, nothing written", Where::Everywhere,
         {{"a.wav", Timed({{1601, 1, 1, 1, 0, 0, 0, 100}}, {{1601, 1, 1, 1, 0, 0, 0, 200}}), {}}},
         {"--shift", "-0:00:00.250", "a.wav"}, 1, "a.wav: not written: StartTime would leave the years 1601 to 30827\n",
         "0 patched, 0 unchanged, 1 refused, 0 failed\n"},
        {"--shift of a stamp that is no date is refused", Where::Everywhere,
         {{"a.wav", Timed({{2021, 13, 6, 17, 14, 3, 9, 45}}, sampleStop), {}}}, {"--shift", "1s", "a.wav"}, 1,
         "a.wav: not written: StartTime 2021-13-17 14:03:09.045 is no real date from 1601 to 30827\n",
         "0 patched, 0 unchanged, 1 refused, 0 failed\n"},
        {"--chain --start moves a chain as a whole", Where::Everywhere,
         {{"c/a.wav", chainA, Part(3410955, "b.wav")}, {"c/b.wav", Part(160, "c.wav"), Part(3411115, "c.wav")},
          {"c/c.wav", Part(320, ""), Part(3411275, "")}},
         {"--chain", "--start", "2021-04-17T15:00:00", "-q", "c/a.wav"}, 0, "", ""},
        {"--stop-from-duration where the stop was never written", Where::Everywhere,
         {{"a.wav", Timed(sampleStart, sampleStart), sample}}, {"--stop-from-duration", "a.wav"}, 0,
         "a.wav: StopTime 2021-04-17 14:03:09.045 -> 2021-04-17 14:03:09.205\n",
         "StopTime: 2021-04-17 14:03:09.045 (1 file) -> 2021-04-17 14:03:09.205\n"
         "1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"--relink a renamed and shuffled session: one chain, no break", Where::Everywhere, shuffled,
         {"--relink", "-q", "d"}, 0, "", "", {},
         [](const Exit&) {
             const Exit chain = RunToExit(".", {"--chain", "--summary", "d"});
             EXPECT_EQ(chain.status, 0) << chain.out << chain.err;
             EXPECT_NE(chain.out.find("Files: 20\n"), std::string::npos) << chain.out;
         }},
        {"--fix-sizes on a recording cut short", Where::Everywhere,
         {{"a.wav", cut, Put(Put(cut, 4, 992, 4), 312, 684, 4)}}, {"--fix-sizes", "a.wav"}, 0,
         "a.wav: RIFF.CnkSize 123288 -> 992, DATA.CnkSize 122980 -> 684\n",
         "RIFF.CnkSize: 123288 (1 file) -> 992\nDATA.CnkSize: 122980 (1 file) -> 684\n"
         "1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        // 4 GiB and 100 bytes: the RIFF size is held at its largest, the data size is exact.
        {"--fix-sizes past 4 GiB", Where::Everywhere, {}, {"--fix-sizes", "-q", "big.wav"}, 0, "", "",
         Before([] { MakeSparseRecording("big.wav", sample::MakeHeader(0), (4LL << 30) + 100); }),
         [](const Exit&) {
             Bytes head(316);
             std::ifstream("big.wav", std::ios::binary).read(reinterpret_cast<char*>(head.data()), 316);
             EXPECT_TRUE(Put(head, 4, 4294967295u, 4) == head && Put(head, 312, 4294967080u, 4) == head);
             EXPECT_EQ(std::filesystem::file_size("big.wav"), (4ULL << 30) + 100);
         }},
        {"--where picks one band of two", Where::Everywhere,
         {{"d/a.wav", sample, Put(sample, 76, 7050000, 4)}, {"d/b.wav", fourteen, {}}},
         {"--cf", "7.05M", "--where", "CenterFreq=7.1M", "d"}, 0,
         "d" + sep + "a.wav: CenterFreq 7100000 -> 7050000\nd" + sep + "b.wav: skipped: CenterFreq is 14200000, not 7100000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed, 1 skipped\n"},
        {"--where in a report shows what matches", Where::Everywhere, {{"a.wav", sample, {}}, {"b.wav", fourteen, {}}},
         {"--csv", "--where", "check=ok", "--where", "RIFF.CnkSize=123288", "--where", "CenterFreq=14200k", "a.wav",
          "b.wav"},
         0, "*", "",
         {},
         [](const Exit& e) { EXPECT_EQ(e.out.find("a.wav"), std::string::npos) << e.out; }},
        {"JSON of a repair: times in the report's form", Where::Everywhere,
         {{"a.wav", sample, Put(sample, 104, 5, 4)}}, {"--json", "--set", "Unused4=5", "--stop-from-duration", "a.wav"},
         0, "*", "*", {},
         [](const Exit& e) {
             const nlohmann::json j = nlohmann::json::parse(e.out);
             EXPECT_EQ(j["before"]["StopTime"]["Millisecond"], 205);
             EXPECT_EQ(j["before"]["StopTime"]["DayOfWeek"], 6);
             EXPECT_EQ(j["after"]["Unused4"], 5);
             EXPECT_TRUE(j["after"].find("CenterFreq") == j["after"].end());
         }},
    };
    return {std::begin(rows), std::end(rows)};
}

INSTANTIATE_TEST_SUITE_P(Repair, CommandLineRow, ::testing::ValuesIn(RepairCases()), RowName);

}  // namespace
}  // namespace kalimber::test
