// The command line's forms as a user runs them, row by row: the text, JSON and
// CSV of a recording, usage errors and help, and names and text that would forge a line.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/expected_text.h"
#include "tests/process_harness.h"
#include "tests/row_kit.h"
#include "tests/test_support.h"
#include "tools/example_session.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

std::vector<Case> FormCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    using nlohmann::json;
    const std::string& sampleReport = kit.sampleReport;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const std::string& csvHeader = kit.csvHeader;
    const std::string& csvSampleTail = kit.csvSampleTail;
    const std::string& usageHint = kit.usageHint;
    const std::string& missing = kit.missing;
    const Bytes& forged = kit.forged;
    const Case cases[] = {
        {"text as the run prints it", Where::Everywhere, {{"sample.wav", sample, {}}}, {"sample.wav"}, 0,
         kBanner + sampleReport, ""},
        {"text: a file of block mode 3 shows a duration of 0", Where::Everywhere, {{"odd.wav", OddRecording(), {}}},
         {"odd.wav"}, 0, "*", "", {},
         [](const Exit& e) { EXPECT_NE(e.out.find("   WavFileDurationMillisec: 0\n"), std::string::npos) << e.out; }},
        {"CSV: a year below 1000 in four digits", Where::Everywhere,
         {{"y.wav",
           [] {
               RecordingHeader h = sample::MakeHeader(1000);
               h.Auxi.StartTime.Year.Set(999);
               return RecordingWith(h, 1000);
           }(),
           {}}},
         {"--csv", "y.wav"}, 0, "*", "", {},
         [](const Exit& e) { EXPECT_NE(e.out.find(",0999-04-17 14:03:09.045,"), std::string::npos) << e.out; }},
        // No quote in a Windows name.
        {"CSV quotes a comma and a quote", Where::LinuxOnly, {{"a,\"b\".wav", sample, {}}},
         {"--csv", "a,\"b\".wav"}, 0, csvHeader + "\"a,\"\"b\"\".wav\"" + csvSampleTail, ""},
        {"JSON: every key, odd bytes, no duration carried over", Where::Everywhere,
         {{"a.wav", sample, {}}, {"odd.wav", OddRecording(), {}}}, {"--json", "a.wav", "odd.wav", "nope.wav"}, 1,
         "*", "kalimber: nope.wav: " + missing + "\n" + Tally(3, 2, 0, 1),
         {},
         [=](const Exit& e) {
             std::istringstream lines(e.out);
             std::vector<json> objects;
             for (std::string line; std::getline(lines, line);) {
                 objects.push_back(json::parse(line));
             }
             ASSERT_EQ(objects.size(), 3u);
             const std::vector<std::string> sections = {"type", "path", "size", "RIFF", "FMT", "AUXI", "ORVA", "DATA",
                                                        "Check", "BlockMode", "WavFileDurationMillisec"};
             std::vector<std::string> keys;
             for (const auto& item : objects[1].items()) {
                 keys.push_back(item.key());
             }
             std::sort(keys.begin(), keys.end());
             std::vector<std::string> want = sections;
             std::sort(want.begin(), want.end());
             EXPECT_EQ(keys, want);
             const json& a = objects[0];
             EXPECT_EQ(a["AUXI"]["StartTime"],
                       json::parse(R"({"Year":2021,"Month":4,"DayOfWeek":6,"Day":17,"Hour":14,"Minute":3,)"
                                   R"("Second":9,"Millisecond":45})"));
             EXPECT_EQ(a["AUXI"].size(), 14u);
             EXPECT_EQ(a["ORVA"].size(), 24u);
             EXPECT_EQ(a["FMT"].size(), 8u);
             EXPECT_EQ(a["ORVA"]["LocalToUTC"], -60);
             EXPECT_EQ(a["ORVA"]["VID"], 0x1A2);
             EXPECT_EQ(a["ORVA"]["Unused9"], 0);
             EXPECT_EQ(a["DATA"]["CnkSize"], 122980);
             EXPECT_EQ(a["WavFileDurationMillisec"], 160);
             EXPECT_EQ(a["BlockMode"], 1);
             const json& odd = objects[1];
             EXPECT_TRUE(odd["RIFF"].is_null());  // its identifier reads RI\0F
             EXPECT_EQ(odd["ORVA"]["SN"], "SN\xEF\xBF\xBD\xEF\xBF\xBD");
             EXPECT_EQ(odd["BlockMode"], 3);
             EXPECT_TRUE(odd["WavFileDurationMillisec"].is_null());  // block mode 3: none worked out
             EXPECT_EQ(odd["Check"], "ok");
             EXPECT_EQ(objects[0]["type"], "recording");
             EXPECT_EQ(objects[2], json::parse(R"({"type":"error","path":"nope.wav","error":")" + missing + "\"}"));
         }},
        {"JSON: null where the check fails", Where::Everywhere, {{"plain.wav", plain, {}}}, {"--json", "plain.wav"},
         1, "*", "", {},
         [](const Exit& e) {
             const json j = json::parse(e.out);
             EXPECT_EQ(j["Check"], "not-orva");
             EXPECT_TRUE(j["BlockMode"].is_null() && j["WavFileDurationMillisec"].is_null());
             // No chunk that the file does not hold, no value read from the zero state.
             EXPECT_EQ(j["FMT"]["CnkSampleRate"], 48000);
             EXPECT_TRUE(j["AUXI"].is_null() && j["ORVA"].is_null() && j["DATA"].is_null());
             EXPECT_EQ(j["size"], 444);
         }},
        {"-h: a page within 80 columns, no parser text", Where::Everywhere, {}, {"-h"}, 0, "*", "", {},
         [](const Exit& e) {
             std::istringstream lines(e.out);
             for (std::string line; std::getline(lines, line);) {
                 EXPECT_LE(line.size(), 80u) << line;
             }
             for (const char* part : {"Exit status:", "--max-gap MS", "(default 1000)", "7.05MHz", "--summary",
                                      "-P, --preserve-mtime", "kalimber --chain --summary session"}) {
                 EXPECT_NE(e.out.find(part), std::string::npos) << part;
             }
             for (const char* artefact : {"Excludes", "TEXT", "NONNEGATIVE", "[PATH", "REQUIRED", "OPTIONS:"}) {
                 EXPECT_EQ(e.out.find(artefact), std::string::npos) << artefact;
             }
         }},
        {"--version", Where::Everywhere, {}, {"-V"}, 0, "kalimber 1.0\n", ""},
        {"CSV: an error row as wide as the header, and told", Where::Everywhere, {{"a.wav", sample, {}}},
         {"--chain", "--csv", "nope.wav", "a.wav"}, 1, "*", "kalimber: nope.wav: " + missing + "\n", {},
         [](const Exit& e) {
             std::istringstream lines(e.out);
             std::string header;
             std::getline(lines, header);
             const auto width = std::count(header.begin(), header.end(), ',');
             int rows = 0;
             for (std::string line; std::getline(lines, line); ++rows) {
                 EXPECT_EQ(std::count(line.begin(), line.end(), ','), width) << line;
             }
             EXPECT_EQ(rows, 2);
         }},
        {"--max-gap below 0", Where::Everywhere, {{"a.wav", sample, {}}}, {"--chain", "--max-gap", "-1", "a.wav"}, 2,
         "", "kalimber: --max-gap: '-1' is not a whole number of milliseconds from 0 to 86400000\n" + usageHint},
        {"--summary without --chain", Where::Everywhere, {{"a.wav", sample, {}}}, {"--summary", "a.wav"}, 2, "",
         "kalimber: --summary goes with --chain, without a patch\n" + usageHint},
        {"unknown option", Where::Everywhere, {{"a.wav", sample, {}}}, {"--jsn", "a.wav"}, 2, "",
         "kalimber: unknown option '--jsn'\n" + usageHint},
        {"--json with --csv", Where::Everywhere, {}, {"--json", "--csv", "a.wav"}, 2, "",
         "kalimber: --json excludes --csv\n" + usageHint},
        {"no PATH", Where::Everywhere, {}, {"--json"}, 2, "", "kalimber: no PATH given\n" + usageHint},
        {"-- ends the options", Where::Everywhere, {{"--json", sample, {}}}, {"-q", "--", "--json"}, 0, "", ""},
        // Header text and names that would forge a line or reach the terminal.
        {"text: controls escaped in fields and chain sections", Where::Everywhere, {{"f.wav", forged, {}}},
         {"--chain", "f.wav"}, 1, "*", "", {},
         [](const Exit& e) {
             EXPECT_NE(e.out.find("   SN: A\\x0AB\\x1B[31mC\\xC2\\x9B\n"), std::string::npos) << e.out;
             EXPECT_NE(e.out.find("   NextFileName: x\\x0A---Additional Information---\\x0A   "
                                  "WavFileDurationMillisec: 86400000\n"),
                       std::string::npos);
             EXPECT_NE(e.out.find("   Missing: x\\x0A---Additional"), std::string::npos);
             EXPECT_EQ(e.out.find("\n---Additional Information---"), e.out.rfind("\n---Additional Information---"));
             EXPECT_EQ(e.out.find_first_of(std::string("\x1B\0", 2)), std::string::npos);
         }},
        {"text: a name with a line end, reported and not found", Where::LinuxOnly, {{"a\nb.wav", sample, {}}},
         {"a\nb.wav", "no\nsuch.wav"}, 1, "*",
         "kalimber: no\\x0Asuch.wav: " + missing + "\n" + Tally(2, 1, 0, 1), {},
         [](const Exit& e) { EXPECT_NE(e.out.find("Selected file: \na\\x0Ab.wav\n\n"), std::string::npos); }},
        {"JSON keeps the exact text", Where::LinuxOnly, {{"a\nb.wav", forged, {}}}, {"--json", "a\nb.wav"}, 0, "*",
         "", {},
         [](const Exit& e) {
             const json j = json::parse(e.out);
             EXPECT_EQ(j["path"], "a\nb.wav");
             EXPECT_EQ(j["ORVA"]["SN"], "A\nB\x1B[31mC\xC2\x9B");
             EXPECT_EQ(j["AUXI"]["NextFileName"], kForgedNext);
         }},
        {"CSV keeps the exact text", Where::LinuxOnly, {{"a\nb.wav", forged, {}}}, {"--csv", "a\nb.wav"}, 0, "*",
         "", {},
         [](const Exit& e) {
             EXPECT_NE(e.out.find("\n\"a\nb.wav\",1316,ok,"), std::string::npos) << e.out;
             EXPECT_NE(e.out.find(",\"A\nB\x1B[31mC\xC2\x9B\",\"" + kForgedNext + "\","), std::string::npos);
         }},
    };
    return std::vector<Case>(std::begin(cases), std::end(cases));
}

INSTANTIATE_TEST_SUITE_P(Process, CommandLineRow, ::testing::ValuesIn(FormCases()), RowName);

}  // namespace
}  // namespace kalimber::test
