// The chains of split recordings as a user runs them, row by row: links that
// hold, gaps, forks, loops and names, in every form, natively and under wine.
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

std::vector<Case> ChainCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    using nlohmann::json;
    const bool windows = kit.windows;
    const std::string& sep = kit.sep;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const Bytes& emptyWav = kit.emptyWav;
    const std::string badMonth = [&] {
        Bytes b = Part(160, "c.wav");
        b[46] = 13;  // StartTime's month
        return std::string(b.begin(), b.end());
    }();
    const Bytes plainEnd = emptyWav;
    const std::vector<File> chainOfFive = ChainOfFive();
    const std::vector<File> gapAndFix = GapAndFix();
    std::string fiveReports = kBanner;
    for (const File& f : chainOfFive) {
        if (f.path != "a.wav") {
            fiveReports += "\n";
        }
        fiveReports += kit.ReportOf(f.path, f.bytes);
    }
    const Case chains[] = {
        {"chain of 5 that holds together", Where::Everywhere, chainOfFive, {"--chain", "a.wav"}, 0,
         fiveReports + Section(5, "a.wav", "e.wav", "14:3:9:45", "14:3:9:845", 800, ""), ""},
        {"chain with a 5-second gap, JSON", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}, {"c.wav", Part(5320, ""), {}}},
         {"--chain", "--json", "a.wav"}, 1, "*", "", {},
         [](const Exit& e) {
             const std::size_t at = e.out.rfind("{\"type\":\"chain\",\"chain\"");
             ASSERT_NE(at, std::string::npos);
             const json chain = json::parse(e.out.substr(at))["chain"];
             EXPECT_EQ(chain["files"], json::parse(R"(["a.wav","b.wav","c.wav"])"));
             EXPECT_EQ(chain["breaks"], json::parse(R"([{"from":"b.wav","to":"c.wav","kind":"gap","gap_ms":5000,)"
                                                    R"("field":null,"from_value":null,"to_value":null}])"));
             EXPECT_EQ(chain["WavFileDurationMillisec"], 480);
             EXPECT_EQ(chain["StopTime"]["Second"], 14);
             EXPECT_TRUE(chain["missing"].is_null() && chain["loop"].is_null());
         }},
        {"overlap", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}, {"c.wav", Part(-2680, ""), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         EndsWithOut(Section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:6:525", 480,
                          "   Break: b.wav -> c.wav: overlap 3000 ms\n"))},
        {"a missing third file", Where::Everywhere, {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}},
         {"--chain", "-q", "a.wav"}, 1, "", ""},
        {"a missing third file, -q, JSON", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}}, {"--chain", "--json", "-q", "a.wav"}, 1,
         "", ""},
        {"a missing third file, told", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}}, {"--chain", "a.wav"}, 1, "*", "", {},
         EndsWithOut(Section(2, "a.wav", "b.wav", "14:3:9:45", "14:3:9:365", 320,
                          "   Missing: c.wav (named by b.wav)\n"))},
        {"a loop", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}, {"c.wav", Part(320, "a.wav"), {}}},
         {"--chain", "b.wav"}, 1, "*", "", {},
         EndsWithOut(Section(3, "b.wav", "a.wav", "14:3:9:205", "14:3:9:205", 480,
                          "   Loop: b.wav (named by a.wav)\n"))},
        // The names hold a way out of the folder; files of those names wait outside it.
        {"names that would leave the folder", Where::Everywhere,
         {{"secret.wav", sample, {}}, {"passwd", sample, {}},
          {"s/a.wav", Part(0, "..\\..\\secret.wav"), {}}, {"t/a.wav", Part(0, "/etc/passwd"), {}}},
         {"--chain", "s" + sep + "a.wav", "t" + sep + "a.wav"}, 1, "*", "", {},
         [=](const Exit& e) {
             EXPECT_NE(e.out.find(Section(1, "s" + sep + "a.wav", "s" + sep + "a.wav", "14:3:9:45", "14:3:9:205", 160,
                                          "   Missing: secret.wav (named by s" + sep + "a.wav)\n")),
                       std::string::npos) << e.out;
             EXPECT_TRUE(EndsWith(e.out, Section(1, "t" + sep + "a.wav", "t" + sep + "a.wav", "14:3:9:45",
                                                 "14:3:9:205", 160, "   Missing: passwd (named by t" + sep + "a.wav)\n")));
             EXPECT_EQ(e.out.find("Selected file: \nsecret.wav"), std::string::npos);
         }},
        {"a centre frequency fixed in 3 of 5", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}, {"c.wav", Part(320, "d.wav", 7050000), {}},
          {"d.wav", Part(480, "e.wav", 7050000), {}}, {"e.wav", Part(640, "", 7050000), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         EndsWithOut(Section(5, "a.wav", "e.wav", "14:3:9:45", "14:3:9:845", 800,
                          "   Break: b.wav -> c.wav: CenterFreq 7100000 -> 7050000\n"))},
        {"an invalid month", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Bytes(badMonth.begin(), badMonth.end()), {}},
          {"c.wav", Part(320, ""), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         EndsWithOut(Section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:9:525", 480,
                          "   Break: a.wav -> b.wav: gap unreadable\n"))},
        {"a folder with two chains and a stray file", Where::Everywhere,
         {{"d/b2.wav", Part(160, "b3.wav"), {}}, {"d/a1.wav", Part(0, "a2.wav"), {}}, {"d/b1.wav", Part(0, "b2.wav"), {}},
          {"d/a2.wav", Part(160, ""), {}}, {"d/b3.wav", Part(320, ""), {}}, {"d/z.wav", sample, {}}},
         {"--chain", "--json", "d"}, 0, "*", "", {},
         [=](const Exit& e) {
             std::istringstream lines(e.out);
             std::string order;
             for (std::string line; std::getline(lines, line);) {
                 const json j = json::parse(line);
                 order += j.contains("chain") ? "| " : j["path"].get<std::string>().substr(2) + " ";
             }
             EXPECT_EQ(order, "a1.wav a2.wav | b1.wav b2.wav b3.wav | z.wav | ");
         }},
        {"--chain --cf on a chain of 5 with a plain WAV", Where::Everywhere,
         {{"a.wav", Part(0, "b.wav"), Patched(Part(0, "b.wav"), 7050000, 150000)},
          {"b.wav", Part(160, "c.wav"), Patched(Part(160, "c.wav"), 7050000, 150000)},
          {"c.wav", Part(320, "d.wav"), Patched(Part(320, "d.wav"), 7050000, 150000)},
          {"d.wav", Part(480, "plain.wav"), Patched(Part(480, "plain.wav"), 7050000, 150000)},
          {"plain.wav", plainEnd, {}}},
         {"--chain", "--cf", "7050k", "a.wav"}, 1,
         "a.wav: CenterFreq 7100000 -> 7050000\nb.wav: CenterFreq 7100000 -> 7050000\n"
         "c.wav: CenterFreq 7100000 -> 7050000\nd.wav: CenterFreq 7100000 -> 7050000\n"
         "plain.wav: not written: no AUXI chunk in this file\n" +
             Section(5, "a.wav", "plain.wav", "14:3:9:45", "0/0/0  0:0:0:0", 640,
                     "   Break: d.wav -> plain.wav: gap unreadable\n"
                     "   Break: d.wav -> plain.wav: CnkSampleRate 192000 -> 48000\n"
                     "   Break: d.wav -> plain.wav: CenterFreq 7050000 -> 0\n"
                     "   Break: d.wav -> plain.wav: Bandwidth 150000 -> 0\n"
                     "   Break: d.wav -> plain.wav: Check ok -> not-orva\n"),
         "CenterFreq: 7100000 (4 files) -> 7050000\n4 patched, 0 unchanged, 1 refused, 0 failed\n"},
        // A copied first file names the same second file: a fork, not a loop.
        {"a fork", Where::Everywhere,
         {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, ""), {}}, {"d/x.wav", Part(0, "b.wav"), {}}},
         {"--chain", "d"}, 1, "*", "", {},
         EndsWithOut(Section(1, "d" + sep + "x.wav", "d" + sep + "x.wav", "14:3:9:45", "14:3:9:205", 160,
                          "   Fork: b.wav (named by d" + sep + "x.wav, already in the chain from d" + sep +
                              "a.wav)\n"))},
        {"a fork, JSON", Where::Everywhere,
         {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, ""), {}}, {"d/x.wav", Part(0, "b.wav"), {}}},
         {"--chain", "--json", "--summary", "d"}, 1, "*", "", {},
         [=](const Exit& e) {
             const std::string last = e.out.substr(e.out.rfind('\n', e.out.size() - 2) + 1);
             EXPECT_EQ(json::parse(last)["chain"]["fork"],
                       json::parse(R"({"name":"b.wav","named_by":"d)" + std::string(windows ? "\\\\" : "/") +
                                   R"(x.wav","first":"d)" + (windows ? "\\\\" : "/") + R"(a.wav"})"));
         }},
        {"a folder whose first file sorts after the one it names", Where::Everywhere,
         {{"d/z.wav", Part(0, "a.wav"), {}}, {"d/a.wav", Part(160, ""), {}}}, {"--chain", "--summary", "d"}, 0,
         Section(2, "d" + sep + "z.wav", "d" + sep + "a.wav", "14:3:9:45", "14:3:9:365", 320, ""), ""},
        {"a folder of a loop alone", Where::Everywhere, {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, "a.wav"), {}}},
         {"--chain", "--summary", "d"}, 1,
         Section(2, "d" + sep + "a.wav", "d" + sep + "b.wav", "14:3:9:45", "14:3:9:365", 320,
                 "   Loop: a.wav (named by d" + sep + "b.wav)\n"),
         ""},
        {"a file that fails the check starts no chain", Where::Everywhere,
         {{"d/a.wav", Part(0, ""), {}}, {"d/plain.wav", plain, {}}}, {"--chain", "d"}, 1, "*", "", {},
         [=](const Exit& e) {
             EXPECT_EQ(e.out.find("---Chain---"), e.out.rfind("---Chain---"));
             // Reported last, on its own, with no section after it.
             const std::size_t at = e.out.rfind("Selected file: \nd" + sep + "plain.wav\n");
             ASSERT_NE(at, std::string::npos) << e.out;
             EXPECT_GT(at, e.out.find("---Chain---"));
             EXPECT_TRUE(EndsWith(e.out, "This is not an ORVA .wav file!!!\n"));
         }},
        {"a NextFileName that names a folder", Where::Everywhere, {{"a.wav", Part(0, "sub/"), {}}, {"sub/x.wav", sample, {}}},
         {"--chain", "--summary", "a.wav"}, 1,
         Section(1, "a.wav", "a.wav", "14:3:9:45", "14:3:9:205", 160, "   Missing: sub/ (named by a.wav)\n"), ""},
        {"a loop started as d//a.wav is found at once", Where::LinuxOnly,
         {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, "a.wav"), {}}}, {"--chain", "--summary", "d//a.wav"}, 1,
         Section(2, "d//a.wav", "d/b.wav", "14:3:9:45", "14:3:9:365", 320, "   Loop: a.wav (named by d/b.wav)\n"), ""},
        {"a chain of a folder and its first file, once", Where::Everywhere,
         {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, ""), {}}, {"e.wav", Part(0, ""), {}}},
         {"--chain", "--summary", "d", "d/a.wav", "e.wav"}, 0,
         Section(2, "d" + sep + "a.wav", "d" + sep + "b.wav", "14:3:9:45", "14:3:9:365", 320, "") +
             Section(1, "e.wav", "e.wav", "14:3:9:45", "14:3:9:205", 160, ""),
         ""},
        // Windows names fold case: B.WAV is b.wav, in one chain, patched once.
        {"a NextFileName in another case", Where::WindowsOnly,
         {{"d/a.wav", Part(0, "B.WAV"), Patched(Part(0, "B.WAV"), 7050000, 150000)},
          {"d/b.wav", Part(160, ""), Patched(Part(160, ""), 7050000, 150000)}},
         {"--chain", "--cf", "7.05M", "d"}, 0, "*",
         "CenterFreq: 7100000 (2 files) -> 7050000\n2 patched, 0 unchanged, 0 refused, 0 failed\n", {},
         [](const Exit& e) {
             EXPECT_EQ(e.out.find("---Chain---"), e.out.rfind("---Chain---")) << e.out;
             EXPECT_NE(e.out.find("   Last: d\\b.wav\n"), std::string::npos) << e.out;  // as the folder lists it
         }},
        {"--summary: the sections alone", Where::Everywhere, gapAndFix, {"--chain", "--summary", "a.wav"}, 1,
         Section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:14:525", 480,
                 "   Break: b.wav -> c.wav: gap 5000 ms\n   Break: b.wav -> c.wav: CenterFreq 7100000 -> 7050000\n"),
         ""},
        {"--summary: the chain lines alone", Where::Everywhere, gapAndFix, {"--chain", "--summary", "--json", "a.wav"},
         1, "*", "", {},
         [](const Exit& e) {
             ASSERT_EQ(std::count(e.out.begin(), e.out.end(), '\n'), 1) << e.out;
             EXPECT_EQ(json::parse(e.out)["chain"]["breaks"].size(), 2u);
         }},
        {"--summary: a CSV row per chain", Where::Everywhere, gapAndFix, {"--chain", "--summary", "--csv", "a.wav"}, 1,
         "chain,files,StartTime,StopTime,WavFileDurationMillisec,breaks,missing,loop,fork,first_break\n"
         "a.wav,3,2021-04-17 14:03:09.045,2021-04-17 14:03:14.525,480,2,,,,b.wav -> c.wav: gap 5000 ms\n",
         ""},
        {"the link column", Where::Everywhere, gapAndFix, {"--chain", "--csv", "a.wav"}, 1, "*", "", {},
         [](const Exit& e) {
             EXPECT_NE(e.out.find(",NextFileName,error,chain,link\n"), std::string::npos);
             EXPECT_NE(e.out.find(",c.wav,,a.wav,\n"), std::string::npos) << e.out;  // a to b holds
             EXPECT_TRUE(EndsWith(e.out, ",,,a.wav,gap 5000 ms; CenterFreq 7100000 -> 7050000\n"));
         }},
        {"--chain on a FIFO: no banner", Where::LinuxOnly, {}, {"--chain", "f.wav"}, 1, "",
         "kalimber: f.wav: not a regular file\n", Before([] { mkfifo("f.wav", 0600); })},
        {"--chain on a first file that is not there", Where::Everywhere, {}, {"--chain", "--json", "nope.wav"}, 1,
         "{\"type\":\"error\",\"path\":\"nope.wav\",\"error\":\"No such file or directory\"}\n",
         "kalimber: nope.wav: No such file or directory\n"},
        {"--chain on a plain WAV", Where::Everywhere, {{"plain.wav", PlainWav(400), {}}}, {"--chain", "-q", "plain.wav"}, 1,
         "", ""},
        {"a chain in CSV", Where::Everywhere, {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, ""), {}}},
         {"--chain", "--csv", "a.wav"}, 0,
         "path,size,Check,WavFileDurationMillisec,StartTime,StopTime,CenterFreq,Bandwidth,CnkSampleRate,"
         "CnkNumChan,CnkBitPerSample,CnkAudioFormat,SN,NextFileName,error,chain,link\n"
         "a.wav,123296,ok,160,2021-04-17 14:03:09.045,2021-04-17 14:03:09.205,7100000,150000,192000,2,16,1,"
         "KLB-0042-7731,b.wav,,a.wav,\n"
         "b.wav,123296,ok,160,2021-04-17 14:03:09.205,2021-04-17 14:03:09.365,7100000,150000,192000,2,16,1,"
         "KLB-0042-7731,,,a.wav,\n",
         ""},
        {"a chain of Unicode names", Where::Everywhere,
         {{"Aufnahme M\xC3\xA4rz 1.wav", Part(0, "\xE5\xBD\x95\xE9\x9F\xB3 2.wav"), {}},
          {"\xE5\xBD\x95\xE9\x9F\xB3 2.wav", Part(160, ""), {}}},
         {"--chain", "--csv", "Aufnahme M\xC3\xA4rz 1.wav"}, 0, "*", "", {},
         [](const Exit& e) {
             EXPECT_TRUE(EndsWith(e.out, ",Aufnahme M\xC3\xA4rz 1.wav,\n")) << e.out;  // the link holds
             EXPECT_NE(e.out.find("\n\xE5\xBD\x95\xE9\x9F\xB3 2.wav,123296,ok,160,"), std::string::npos) << e.out;
         }},
    };
    return std::vector<Case>(std::begin(chains), std::end(chains));
}

INSTANTIATE_TEST_SUITE_P(Chains, CommandLineRow, ::testing::ValuesIn(ChainCases()), RowName);

}  // namespace
}  // namespace kalimber::test
