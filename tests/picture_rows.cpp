// The picture as a user draws it, row by row: the README's two pictures as
// the tool draws them on every system, subfolders, lost output, and what --svg excludes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/process_harness.h"
#include "tests/row_kit.h"
#include "tests/test_support.h"
#include "tools/example_session.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

std::vector<Case> PictureCases() {
    const ScratchDir scratch;
    const RowKit kit = MakeRowKit();
    const std::string& sep = kit.sep;
    const Bytes& plain = kit.plain;
    const std::string& usageHint = kit.usageHint;
    const Case cases[] = {
        // The README's picture: the example session drawn the same on every
        // system and CPU, apart from the separators (and the CR LF that
        // RunToExit removes).
        {"--svg: the README's picture of the example session", Where::Everywhere, {}, {"--svg", "session"}, 1, "*",
         "", Before([] {
             std::filesystem::create_directory("session");
             ASSERT_TRUE(sample::WriteExampleSession("session"));
         }),
         [](const Exit& e) {
             std::string out = e.out;
             std::replace(out.begin(), out.end(), '\\', '/');
             EXPECT_TRUE(out == SourceText("docs/session.svg")) << "rebuild docs/session.svg as the README says";
         }},
        {"--svg: the README's crowded minute, in lanes", Where::Everywhere, {}, {"--svg", "crowded"}, 1, "*", "",
         Before([] {
             std::filesystem::create_directory("crowded");
             ASSERT_TRUE(sample::WriteCrowdedSession("crowded"));
         }),
         [](const Exit& e) {
             std::string out = e.out;
             std::replace(out.begin(), out.end(), '\\', '/');
             EXPECT_TRUE(out == SourceText("docs/crowded.svg")) << "rebuild docs/crowded.svg as the README says";
         }},
        {"--svg -q: a chain that holds, drawn for nobody", Where::Everywhere, ChainOfFive(), {"--svg", "-q", "a.wav"}, 0,
         "", ""},
        {"--svg -r: the chains of every subfolder, the lost files listed", Where::Everywhere,
         {{"d/a.wav", Part(0, "b.wav"), {}}, {"d/b.wav", Part(160, ""), {}}, {"d/s/x.wav", Part(320, ""), {}},
          {"d/s/t/plain.wav", plain, {}}},
         {"--svg", "-r", "d"}, 1, "*", "", {},
         [=](const Exit& e) {
             EXPECT_NE(e.out.find("4 files, 2 chains, 0 breaks"), std::string::npos);
             EXPECT_NE(e.out.find("; recorded total 0:00:00.480 (480 ms)"), std::string::npos);
             EXPECT_NE(e.out.find("<title>d" + sep + "s" + sep + "x.wav\nStartTime 2021-04-17 14:03:09.365\n"),
                       std::string::npos);
             EXPECT_NE(e.out.find("d" + sep + "s" + sep + "t" + sep + "plain.wav: fails the check: not-orva</text>"),
                       std::string::npos);
         }},
        {"--svg to a full disk", Where::LinuxOnly, ChainOfFive(), {"--svg", "a.wav"}, 1, "",
         "kalimber: standard output: No space left on device\n", OutputTo(Output::DevFull)},
        {"--svg with --json", Where::Everywhere, {}, {"--svg", "--json", "a.wav"}, 2, "",
         "kalimber: --svg excludes --json\n" + usageHint},
        {"--svg with a patch", Where::Everywhere, {}, {"--svg", "--cf", "7.05M", "a.wav"}, 2, "",
         "kalimber: --svg draws a report; a patch writes text or --json\n" + usageHint},
        {"--svg with --summary", Where::Everywhere, {}, {"--svg", "--summary", "a.wav"}, 2, "",
         "kalimber: --svg draws every file; --summary does not go with it\n" + usageHint},
    };
    return std::vector<Case>(std::begin(cases), std::end(cases));
}

INSTANTIATE_TEST_SUITE_P(Picture, CommandLineRow, ::testing::ValuesIn(PictureCases()), RowName);

}  // namespace
}  // namespace kalimber::test
