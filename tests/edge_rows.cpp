// Edges a new user found, row by row: links out of the recordings, headers cut
// short, durations past 32 bits, formulas, holes in a picture, usage errors.
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

std::vector<Case> EdgeCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    using nlohmann::json;
    const std::string& sep = kit.sep;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const std::string& csvHeader = kit.csvHeader;
    const std::string& csvSampleTail = kit.csvSampleTail;
    const std::string& usageHint = kit.usageHint;
    const std::string& missing = kit.missing;
    const Bytes& forged = kit.forged;
    // Edges a new user found: links out of the recordings, headers cut short,
    // durations past 32 bits, spreadsheet formulas, holes in a picture, usage
    // errors in the tool's words, folders without a recording.
    auto cut = [&](std::size_t size) { return Bytes(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(size)); };
    auto withText = [](const std::string& sn, const std::string& next) {
        RecordingHeader h = sample::MakeHeader(1000);
        sample::SetText(h.Orva.SN, sizeof h.Orva.SN, sn);
        sample::SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, next);
        return RecordingWith(h, 1000);
    };
    const Bytes toBackup = Part(0, "backup.bak");
    const Bytes monthThirteen = [&] {
        Bytes b = Part(0, "");
        b[46] = 13;  // StartTime's month: a chain of its own that holds, but no place in time
        return b;
    }();
    // The run's report of the first 300 bytes, its DATA identifier of NULs escaped.
    std::string cutReport = kit.ReportOf("t.wav", cut(300));
    cutReport.replace(cutReport.find(std::string(4, '\0')), 4, "\\x00\\x00\\x00\\x00");
    const std::string truncated = "kalimber: t.wav: truncated (300 bytes; a header needs 316)\n";
    // 4 TiB at 192 kHz in blocks of 3072 frames: 357913941 blocks of 16 ms, 66 days.
    const auto fourTiB = Before([] { MakeSparseRecording("big.wav", sample::MakeHeader(0), 4LL << 40); });
    auto usage = [&](const char* name, std::vector<std::string> arguments, const std::string& error) {
        return Case{name, Where::Everywhere, {{"a.wav", sample, {}}}, std::move(arguments), 2, "",
                    "kalimber: " + error + "\n" + usageHint};
    };
    const Case edges[] = {
        {"a chain never follows a link to a file that is no .wav, nor patches it", Where::Everywhere,
         {{"cb/a.wav", toBackup, Patched(toBackup, 7050000, 150000)}, {"cb/backup.bak", sample, {}}},
         {"--chain", "--cf", "7.05M", "cb"}, 1, "*", "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n", {},
         EndsWithOut("   Missing: backup.bak (not a .wav file; named by cb" + sep + "a.wav)\n")},
        {"a link to x.WAV is followed", Where::Everywhere, {{"a.wav", Part(0, "x.WAV"), {}}, {"x.WAV", Part(160, ""), {}}},
         {"--chain", "--json", "a.wav"}, 0, "*", "", {},
         [](const Exit& e) {
             const json chain = json::parse(e.out.substr(e.out.rfind("{\"type\":\"chain\"")))["chain"];
             EXPECT_EQ(chain["files"], json::parse(R"(["a.wav","x.WAV"])"));
             EXPECT_TRUE(chain["missing"].is_null());
         }},
        {"headers cut short: truncated where the family checks pass", Where::Everywhere,
         {{"0.wav", cut(0), {}}, {"207.wav", cut(207), {}}, {"208.wav", cut(208), {}}, {"300.wav", cut(300), {}},
          {"315.wav", cut(315), {}}},
         {"--csv", "0.wav", "207.wav", "208.wav", "300.wav", "315.wav"}, 1, "*",
         "5 files: 0 recordings, 3 not-orva, 0 unsupported-version, 2 truncated, 0 could not be read\n", {},
         [](const Exit& e) {
             for (const char* row : {"\n0.wav,0,not-orva,,", "\n207.wav,207,not-orva,,", "\n208.wav,208,not-orva,,",
                                     "\n300.wav,300,truncated,,", "\n315.wav,315,truncated,,"}) {
                 EXPECT_NE(e.out.find(row), std::string::npos) << row << e.out;
             }
         }},
        {"a header cut short: the run's block, and why on standard error", Where::Everywhere, {{"t.wav", cut(300), {}}},
         {"t.wav"}, 1, kBanner + cutReport, truncated},
        {"a header cut short in JSON: no block mode, no duration", Where::Everywhere, {{"t.wav", cut(300), {}}},
         {"--json", "-q", "t.wav"}, 1, "", ""},
        {"a duration past 32 bits whole in JSON", Where::Everywhere, {}, {"--json", "big.wav"}, 0, "*", "", fourTiB,
         [](const Exit& e) { EXPECT_EQ(json::parse(e.out)["WavFileDurationMillisec"], 5726623056u); }},
        {"a duration past 32 bits whole in CSV, its low 32 bits in text", Where::Everywhere, {},
         {"--csv", "big.wav"}, 0, "*", "", fourTiB,
         [](const Exit& e) { EXPECT_NE(e.out.find("\nbig.wav,4398046511104,ok,5726623056,"), std::string::npos) << e.out; }},
        {"a duration past 32 bits in text, as the run shows it", Where::Everywhere, {}, {"big.wav"}, 0, "*", "", fourTiB,
         EndsWithOut("   WavFileDurationMillisec: 1431655760\n")},
        {"CSV: text that a spreadsheet would run as a formula", Where::Everywhere,
         {{"=a.wav", withText("=cmd|' /C calc'!A0", "+b.wav"), {}}, {"+b.wav", withText("-3", "@d.wav"), {}},
          {"-c.wav", withText("@4", "\t5"), {}}, {"@d.wav", withText("\r6", "-7"), {}}},
         {"--csv", "--", "=a.wav", "+b.wav", "-c.wav", "@d.wav"}, 0, "*", Tally(4, 4, 0, 0), {},
         [](const Exit& e) {
             for (const char* cell : {"\n'=a.wav,", ",'=cmd|' /C calc'!A0,'+b.wav,", "\n'+b.wav,", ",'-3,'@d.wav,",
                                      "\n'-c.wav,", ",'@4,'\t5,", "\n'@d.wav,", ",\"'6\",'-7,"}) {  // its CR is taken out with the line ends
                 EXPECT_NE(e.out.find(cell), std::string::npos) << cell << e.out;
             }
         }},
        {"CSV: a name that starts with a tab", Where::LinuxOnly, {{"\tt.wav", sample, {}}}, {"--csv", "\tt.wav"}, 0,
         csvHeader + "'\tt.wav" + csvSampleTail, ""},
        {"--svg: a file not drawn fails the run", Where::Everywhere,
         {{"m.wav", monthThirteen, {}}}, {"--svg", "m.wav"}, 1, "*", "", {},
         [](const Exit& e) { EXPECT_NE(e.out.find("Not drawn: 1 file"), std::string::npos); }},
        usage("a value option twice", {"--cf", "1", "--cf", "2", "a.wav"}, "--cf is given twice"),
        usage("a value option without its value", {"a.wav", "--cf"}, "--cf needs a value (HZ)"),
        usage("--version with a value", {"--version=1"}, "--version takes no value"),
        usage("--help with a value", {"--help=x"}, "--help takes no value"),
        usage("a flag with a value", {"--json=1", "a.wav"}, "--json takes no value"),
        usage("a short flag with a value", {"-P=1", "a.wav"}, "-P takes no value"),
        usage("an unknown short option among known ones", {"-qz", "a.wav"}, "unknown option '-z'"),
        usage("an unknown long option with a value", {"--colour=red", "a.wav"}, "unknown option '--colour'"),
        // --brief: one line a file, in columns, the path last.
        {"--brief: one line a file, aligned, reasons in the line", Where::Everywhere,
         {{"a", sample, {}}, {std::string(196, 'x') + ".wav", sample, {}}, {"\xE5\xBD\x95\xE9\x9F\xB3.wav", sample, {}},
          {"plain.wav", plain, {}}},
         {"--brief", "a", std::string(196, 'x') + ".wav", "\xE5\xBD\x95\xE9\x9F\xB3.wav", "plain.wav", "nope.wav"}, 1, "*",
         "kalimber: nope.wav: " + missing + "\n" + Tally(5, 3, 1, 1), {},
         [=](const Exit& e) {
             std::istringstream lines(e.out);
             std::vector<std::string> got;
             for (std::string line; std::getline(lines, line);) {
                 got.push_back(line);
             }
             ASSERT_EQ(got.size(), 6u);
             EXPECT_EQ(got[0], "StartTime                    Duration       CenterFreq        Bandwidth  Check   "
                               "             Path");
             EXPECT_EQ(got[1], "2021-04-17 14:03:09.045   0:00:00.160     7100.000 kHz      150.000 kHz  ok      "
                               "             a");
             const std::size_t path = got[0].find("Path");
             const std::string tails[] = {"", "a", std::string(196, 'x') + ".wav", "\xE5\xBD\x95\xE9\x9F\xB3.wav",
                                          "plain.wav", "nope.wav: " + missing};
             for (std::size_t i = 1; i < got.size(); ++i) {
                 EXPECT_EQ(got[i].substr(path), tails[i]) << got[i];  // every path in one column
             }
             EXPECT_EQ(got[4].substr(0, 24), "-                       ");  // no AUXI chunk: no time
             EXPECT_NE(got[4].find(" not-orva "), std::string::npos);
             EXPECT_NE(got[5].find(" unreadable "), std::string::npos);
         }},
        {"--brief --chain: a line a chain, with its breaks", Where::Everywhere, GapAndFix(), {"--brief", "--chain", "a.wav"},
         1, "*", "", {},
         EndsWithOut("2021-04-17 14:03:14.365   0:00:00.160     7050.000 kHz      150.000 kHz  ok                   c.wav\n"
                  "chain a.wav: 3 files, 2021-04-17 14:03:09.045 to 2021-04-17 14:03:14.525, 0:00:00.480, 2 breaks: "
                  "b.wav -> c.wav gap 5000 ms; b.wav -> c.wav CenterFreq 7100000 -> 7050000\n")},
        {"--brief: controls escaped, the next file named", Where::LinuxOnly, {{"a\nb.wav", forged, {}}},
         {"--brief", "a\nb.wav"}, 0, "*", "", {},
         EndsWithOut("  ok                   a\\x0Ab.wav -> x\\x0A---Additional Information---\\x0A   "
                  "WavFileDurationMillisec: 86400000\n")},
        usage("--brief with --json", {"--brief", "--json", "a.wav"}, "--brief excludes --json"),
        usage("--brief with a patch", {"--brief", "--cf", "7M", "a.wav"}, "--brief reports; a patch writes text or --json"),
        {"an empty folder: no banner", Where::Everywhere, {}, {"e"}, 1, "", "kalimber: e: no .wav files\n",
         Before([] { std::filesystem::create_directory("e"); })},
        {"a folder with no .wav file: no banner", Where::Everywhere, {{"e/c.txt", plain, {}}}, {"--chain", "e"}, 1, "",
         "kalimber: e: no .wav files\n"},
    };
    return std::vector<Case>(std::begin(edges), std::end(edges));
}

INSTANTIATE_TEST_SUITE_P(Edges, CommandLineRow, ::testing::ValuesIn(EdgeCases()), RowName);

}  // namespace
}  // namespace kalimber::test
