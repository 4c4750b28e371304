// Quiet and lost output, row by row: -q in every form, a full disk, a closed
// pipe or descriptor, and the progress line on a terminal.
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

std::vector<Case> OutputCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const Bytes& patchedCf = kit.patchedCf;
    const std::vector<File>& hundredThenZ = kit.hundredThenZ;
    std::vector<File> umlauts;
    for (int i = 0; i < 101; ++i) {
        std::string name = "d/";
        for (int letter = 0; letter < 20; ++letter) {
            name += "\xC3\xA4";
        }
        umlauts.push_back({name + std::to_string(100 + i) + ".wav", kit.twoHundred.front().bytes, {}});
    }
    const Case cases[] = {
        {"a plain WAV fails the check", Where::Everywhere, {{"plain.wav", plain, {}}}, {"-q", "plain.wav"}, 1, "",
         ""},
        {"every file a recording", Where::Everywhere, {{"a.wav", sample, {}}}, {"--quiet", "a.wav"}, 0, "", ""},
        // -q: nothing on standard output in any form; what went wrong on standard error.
        {"-q: a JSON patch prints nothing, its failures are told", Where::Everywhere,
         {{"a.wav", sample, patchedCf}, {"plain.wav", plain, {}}}, {"-q", "--json", "--cf", "7.05M", "a.wav", "plain.wav"},
         1, "", "kalimber: plain.wav: not written: no AUXI chunk in this file\n"},
        // Lost output: a report stops and says so (a reader that has gone needs
        // no word); a patch goes on, and says its record is incomplete.
        // Wine takes every write to /dev/full as done.
        {"report to a full disk", Where::LinuxOnly, {{"a.wav", sample, {}}, {"b.wav", sample, {}}},
         {"a.wav", "b.wav"}, 1, "", "kalimber: standard output: No space left on device\n",
         OutputTo(Output::DevFull)},
        {"report into a closed pipe", Where::Everywhere, {{"a.wav", sample, {}}}, {"--csv", "a.wav"}, 1, "", "",
         OutputTo(Output::ClosedPipe)},
        {"patch to a full disk", Where::LinuxOnly, {{"a.wav", sample, patchedCf}, {"b.wav", sample, patchedCf}},
         {"--cf", "7.05M", "a.wav", "b.wav"}, 1, "",
         "CenterFreq: 7100000 (2 files) -> 7050000\n2 patched, 0 unchanged, 0 refused, 0 failed\n"
         "kalimber: standard output: No space left on device: the record of the patches is incomplete\n",
         OutputTo(Output::DevFull)},
        {"patch into a closed pipe", Where::Everywhere, {{"a.wav", sample, patchedCf}},
         {"--json", "--cf", "7.05M", "a.wav"}, 1, "",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n"
         "kalimber: standard output: Broken pipe: the record of the patches is incomplete\n",
         OutputTo(Output::ClosedPipe)},
        // Started with >&-: the recording must not become descriptor 1, where
        // the patch line would land in it. POSIX descriptors only.
        {"patch with standard output closed", Where::LinuxOnly, {{"a.wav", sample, patchedCf}},
         {"--cf", "7.05M", "a.wav"}, 0, "", "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n",
         OutputTo(Output::Closed)},
        // The same run with standard error on a terminal: the line shows, and
        // is wiped before the summary.
        {"progress on a terminal", Where::Direct, hundredThenZ, {"d"}, 0, "*", "*",
         OnFirstOutput([] { std::this_thread::sleep_for(std::chrono::milliseconds(1200)); }, true),
         [=](const Exit& e) {
             EXPECT_NE(e.rawErr.find("\rreading "), std::string::npos) << e.rawErr;
             EXPECT_NE(e.rawErr.find(" of 101: d/a1"), std::string::npos);
             const std::string summary = "101 files: 101 recordings, 0 not-orva, 0 unsupported-version, 0 truncated, 0 could not be read";
             EXPECT_TRUE(EndsWith(e.rawErr, " \r" + summary + "\r\n")) << e.rawErr;  // wiped first
         }},
        // Every mode that reads many files shows the line, over a card slow
        // enough for it, and wipes it again at the end.
        {"progress on a terminal: --chain", Where::Direct, hundredThenZ, {"--chain", "--json", "d"}, 0, "*", "*",
         SlowOpens("15"), ProgressShown("reading")},
        {"progress on a terminal: --svg", Where::Direct, hundredThenZ, {"--svg", "d"}, 0, "*", "*", SlowOpens("15"),
         ProgressShown("reading")},
        {"progress on a terminal: --chain --cf", Where::Direct, hundredThenZ, {"-P", "--chain", "--cf", "7100000", "d"}, 0,
         "*", "*", SlowOpens("15"), ProgressShown("patching")},
        // A terminal 40 columns wide, names of two-byte letters: each line drawn
        // takes 39 characters (not bytes) at most, keeps its head and cuts the name's front.
        {"progress on a narrow terminal", Where::Direct, umlauts, {"d"}, 0, "*", "*", SlowOpens("15", 40),
         [](const Exit& e) {
             std::size_t longest = 0;
             for (std::size_t at = e.rawErr.find("\rreading "); at != std::string::npos;
                  at = e.rawErr.find("\rreading ", at + 1)) {
                 std::string line = e.rawErr.substr(at + 1, e.rawErr.find_first_of("\r\n", at + 1) - at - 1);
                 std::size_t columns = 0;
                 for (const char c : line) {
                     columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                 }
                 longest = std::max(longest, columns);
                 EXPECT_NE(line.find(" of 101: ...\xC3\xA4"), std::string::npos) << line;
             }
             EXPECT_EQ(longest, 39u) << e.rawErr;
         }},
    };
    return std::vector<Case>(std::begin(cases), std::end(cases));
}

INSTANTIATE_TEST_SUITE_P(Output, CommandLineRow, ::testing::ValuesIn(OutputCases()), RowName);

}  // namespace
}  // namespace kalimber::test
