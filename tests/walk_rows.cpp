// Walking the PATHs, row by row: folders in order, subfolders, each file once
// however named, files that change under the walk, wildcards and open-file limits.
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

std::vector<Case> WalkCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    const std::string& sep = kit.sep;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const std::string& csvHeader = kit.csvHeader;
    const std::string& csvSampleTail = kit.csvSampleTail;
    const std::string& missing = kit.missing;
    const Bytes& emptyWav = kit.emptyWav;
    const std::string& csvEmptyWavTail = kit.csvEmptyWavTail;
    const Bytes& patchedCf = kit.patchedCf;
    const std::vector<File>& hundredThenZ = kit.hundredThenZ;
    const std::vector<File>& twoHundred = kit.twoHundred;
    const std::vector<File>& twoHundredPatched = kit.twoHundredPatched;
    const Case cases[] = {
        {"a missing file between two good ones", Where::Everywhere,
         {{"a.wav", sample, {}}, {"c.wav", sample, {}}}, {"a.wav", "missing.wav", "c.wav"}, 1,
         kBanner + kit.ReportOf("a.wav", sample) + "\n" + kit.ReportOf("c.wav", sample),
         "kalimber: missing.wav: " + missing + "\n" + Tally(3, 2, 0, 1)},
        {"folder: .wav files in bytewise order", Where::Everywhere,
         {{"d/b.wav", sample, {}}, {"d/A.WAV", sample, {}}, {"d/c.txt", plain, {}}, {"d/sub/x.wav", sample, {}},
          {"d/z.wav", emptyWav, {}}},
         {"--csv", "d"}, 1,
         csvHeader + "d" + sep + "A.WAV" + csvSampleTail + "d" + sep + "b.wav" + csvSampleTail + "d" + sep +
             "z.wav" + csvEmptyWavTail,
         Tally(3, 2, 1, 0)},
        {"-r: subfolders depth first", Where::Everywhere,
         {{"d/b.wav", sample, {}}, {"d/A.WAV", sample, {}}, {"d/sub/x.wav", sample, {}}, {"d/z/y.wav", sample, {}}},
         {"-r", "--csv", "d"}, 0,
         csvHeader + "d" + sep + "A.WAV" + csvSampleTail + "d" + sep + "b.wav" + csvSampleTail + "d" + sep + "sub" +
             sep + "x.wav" + csvSampleTail + "d" + sep + "z" + sep + "y.wav" + csvSampleTail,
         Tally(4, 4, 0, 0)},
        {"names as short as .wav and shorter in a folder", Where::Everywhere,
         {{"d/a", Bytes{'x'}, {}}, {"d/.wav", sample, {}}, {"d/b.wav", sample, {}}}, {"d"}, 0,
         kBanner + kit.ReportOf("d" + sep + ".wav", sample) + "\n" + kit.ReportOf("d" + sep + "b.wav", sample),
         Tally(2, 2, 0, 0)},
        {"patch: a folder with no .wav file, then a file", Where::Everywhere, {{"e/c.txt", plain, {}}, {"a.wav", sample, patchedCf}},
         {"--cf", "7.05M", "e", "a.wav"}, 1, "a.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\nkalimber: e: no .wav files\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        // Every file is closed again: far more files than may be open at once.
        {"200 files under a limit of 64 open, reported", Where::Direct, twoHundred, {"--csv", "d"}, 0, "*",
         Tally(200, 200, 0, 0), OpenFilesLimit(64),
         [](const Exit& e) { EXPECT_EQ(std::count(e.out.begin(), e.out.end(), '\n'), 201) << e.out; }},
        {"200 files under a limit of 64 open, patched", Where::Direct, twoHundredPatched, {"-q", "--cf", "7.05M", "d"}, 0,
         "", "", OpenFilesLimit(64)},
        {"200 files under a limit of 64 open, chained", Where::Direct, twoHundred, {"-q", "--chain", "d"}, 0, "", "",
         OpenFilesLimit(64)},
        // Each file once a run, however it is named.
        {"the same file named twice is read once", Where::Everywhere, {{"a.wav", sample, {}}},
         {"--csv", "a.wav", "a.wav"}, 0, csvHeader + "a.wav" + csvSampleTail, ""},
        {"a folder and a file in it, patched once", Where::Everywhere, {{"d/a.wav", sample, patchedCf}},
         {"--cf", "7.05M", "d", "d/a.wav"}, 0, "d" + sep + "a.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"a FIFO and a dangling link in a folder, told as if named", Where::LinuxOnly, {{"d/a.wav", sample, {}}},
         {"-q", "d"}, 1, "", "kalimber: d/f.wav: not a regular file\nkalimber: d/l.wav: " + missing + "\n",
         Before([] {
             mkfifo("d/f.wav", 0644);
             std::filesystem::create_symlink("nowhere", "d/l.wav");
         })},
        // Links are told apart by what they lead to: two to two files, one of them also named.
        {"links in a folder, each file once", Where::LinuxOnly, {{"a.wav", sample, {}}, {"b.wav", sample, {}}},
         {"--csv", "d", "a.wav"}, 0, "*", Tally(2, 2, 0, 0),
         Before([] {
             std::filesystem::create_directory("d");
             std::filesystem::create_symlink("../a.wav", "d/x.wav");
             std::filesystem::create_symlink("../b.wav", "d/y.wav");
         }),
         [](const Exit& e) {
             EXPECT_NE(e.out.find("\nd/x.wav,"), std::string::npos) << e.out;
             EXPECT_NE(e.out.find("\nd/y.wav,"), std::string::npos) << e.out;
             EXPECT_EQ(e.out.find("\na.wav,"), std::string::npos) << e.out;
         }},
        {"a folder with no .wav file, its subfolder not walked", Where::Everywhere,
         {{"e/c.txt", plain, {}}, {"e/sub/x.wav", sample, {}}}, {"-q", "e"}, 1, "",
         "kalimber: e: no .wav files\n"},
        {"patch: a folder with no .wav file", Where::Everywhere, {{"e/c.txt", plain, {}}}, {"--cf", "7M", "e"}, 1, "",
         "kalimber: e: no .wav files\n0 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"UTF-16 names", Where::WindowsOnly,
         {{"Aufnahme M\xC3\xA4rz.wav", sample, {}}, {"\xE5\xBD\x95\xE9\x9F\xB3.wav", sample, {}}},
         {"--csv", "Aufnahme M\xC3\xA4rz.wav", "\xE5\xBD\x95\xE9\x9F\xB3.wav"}, 0,
         csvHeader + "Aufnahme M\xC3\xA4rz.wav" + csvSampleTail + "\xE5\xBD\x95\xE9\x9F\xB3.wav" + csvSampleTail,
         Tally(2, 2, 0, 0)},
        {"wildcards expanded by the tool", Where::WindowsOnly,
         {{"b.wav", sample, {}}, {"A.WAV", sample, {}}, {"c.txt", emptyWav, {}}, {"\xE5\xBD\x95.wav", sample, {}}},
         {"--csv", "*.wav", "?.txt"}, 1,
         csvHeader + "A.WAV" + csvSampleTail + "b.wav" + csvSampleTail + "\xE5\xBD\x95.wav" + csvSampleTail +
             "c.txt" + csvEmptyWavTail,
         Tally(4, 3, 1, 0)},
        {"wildcards fold the case of every letter", Where::WindowsOnly,
         {{"Aufnahme M\xC3\xA4rz \xC3\xA9.wav", sample, {}}, {"Mai.wav", sample, {}}}, {"--csv", "*M\xC3\x84RZ*"}, 0,
         csvHeader + "Aufnahme M\xC3\xA4rz \xC3\xA9.wav" + csvSampleTail, ""},
        {"a wildcard that matches nothing, a folder that is not there", Where::WindowsOnly, {{"a.wav", sample, {}}},
         {"-q", "*.xyz", "nowhere\\*.wav", "nowhere", "a.wav"}, 1, "",
         "kalimber: *.xyz: " + missing + "\nkalimber: nowhere\\*.wav: " + missing + "\nkalimber: nowhere: " + missing +
             "\n"},
        // The pipe fills, so the tool waits in the a*.wav reports while z.wav
        // becomes a FIFO with no writer; opening it must not wait too. Under
        // wine a full pipe does not hold the .exe, so it is done before the swap.
        {"a file turned FIFO after the listing", Where::LinuxOnly, hundredThenZ, {"d"}, 1, "*",
         "kalimber: d" + sep + "z.wav: not a regular file\n" + Tally(101, 100, 0, 1),
         OnFirstOutput([] {
             std::filesystem::remove("d/z.wav");
             mkfifo("d/z.wav", 0644);
             // Held past a second: a progress line would be due, but not on a pipe.
             std::this_thread::sleep_for(std::chrono::milliseconds(1200));
         })},
    };
    return std::vector<Case>(std::begin(cases), std::end(cases));
}

INSTANTIATE_TEST_SUITE_P(Walk, CommandLineRow, ::testing::ValuesIn(WalkCases()), RowName);

}  // namespace
}  // namespace kalimber::test
