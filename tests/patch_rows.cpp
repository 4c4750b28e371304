// The patch as a user runs it, row by row: values as operators write them,
// units, refusals, failed writes undone, and the files' bytes afterwards.
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

std::vector<Case> PatchCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    const std::string& sep = kit.sep;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const Bytes& shortFile = kit.shortFile;
    const std::string& usageHint = kit.usageHint;
    const std::string& missing = kit.missing;
    const Bytes& patched = kit.patched;
    const Bytes& patchedCf = kit.patchedCf;
    const Case cases[] = {
        {"values as operators write them", Where::Everywhere, {{"a.wav", sample, {}}},
         {"--dry-run", "--cf", "7.05MHz", "--bw", "192kHz", "a.wav"}, 0,
         "would patch a.wav: CenterFreq 7100000 -> 7050000, Bandwidth 150000 -> 192000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\nBandwidth: 150000 (1 file) -> 192000\n1 would be patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"a value past 32 bits", Where::Everywhere, {{"a.wav", sample, {}}}, {"--bw", "4294967296", "a.wav"}, 2, "",
         "kalimber: --bw: '4294967296' is not a whole number of hertz from 0 to 4294967295\n" + usageHint},
        {"--cf past 32 bits", Where::Everywhere, {{"a.wav", sample, {}}}, {"--cf", "4294967296", "a.wav"}, 2, "",
         "kalimber: --cf: '4294967296' is not a whole number of hertz from 0 to 4294967295\n" + usageHint},
        {"--cf and --bw up to 32 bits", Where::Everywhere,
         {{"a.wav", sample, Patched(sample, 4294967295u, 4294967295u)}}, {"--cf", "4294967295", "--bw", "4294967295", "a.wav"},
         0, "a.wav: CenterFreq 7100000 -> 4294967295, Bandwidth 150000 -> 4294967295\n",
         "CenterFreq: 7100000 (1 file) -> 4294967295\nBandwidth: 150000 (1 file) -> 4294967295\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        {"a bad --bw", Where::Everywhere, {{"a.wav", sample, {}}}, {"--bw", "7.05m", "a.wav"}, 2, "",
         "kalimber: --bw: '7.05m' is not a frequency in hertz (7050000, 7050k, 7.05M or 7.05MHz)\n" + usageHint},
        {"--csv with a patch", Where::Everywhere, {{"a.wav", sample, {}}}, {"--csv", "--cf", "7M", "a.wav"}, 2, "",
         "kalimber: --csv reports; a patch writes text or --json\n" + usageHint},
        // A write never starts on doubt: a PATH that names nothing, or a unit
        // written apart from its number, and no file is written.
        {"patch: a missing PATH among good ones writes nothing", Where::Everywhere,
         {{"a.wav", sample, {}}, {"d/b.wav", sample, {}}}, {"-q", "--cf", "7.05M", "a.wav", "nope.wav", "d"}, 2, "",
         "kalimber: 'nope.wav' is no file or folder; nothing is written\n" + usageHint},
        {"patch: a unit apart from its number writes nothing", Where::Everywhere,
         {{"d/a.wav", sample, {}}, {"d/b.wav", sample, {}}}, {"--cf", "7050", "kHz", "d"}, 2, "",
         "kalimber: 'kHz' is not a file: did you mean --cf 7050kHz?\n" + usageHint},
        {"patch: a unit after --bw=, in any case", Where::Everywhere, {{"a.wav", sample, {}}},
         {"a.wav", "--bw=192", "KHZ"}, 2, "", "kalimber: 'KHZ' is not a file: did you mean --bw 192KHZ?\n" + usageHint},
        {"patch: a unit that makes no frequency with its number", Where::Everywhere, {{"a.wav", sample, {}}},
         {"--cf", "7M", "a.wav", "--", "ms"}, 2, "",
         "kalimber: 'ms' is not a file but a unit, apart from its number; nothing is written\n" + usageHint},
        {"patch: a file named as a unit is a path", Where::Everywhere, {{"k", sample, {}}}, {"--cf", "7100000", "k"}, 0,
         "k: unchanged\n", "0 patched, 1 unchanged, 0 refused, 0 failed\n"},
        {"-P keeps the modification time", Where::Everywhere, {{"a.wav", sample, patchedCf}},
         {"-P", "--cf", "7.05M", "a.wav"}, 0, "a.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n", {},
         [](const Exit&) {
             const auto age = std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time("a.wav");
             EXPECT_GT(age, std::chrono::minutes(59));
         }},
        // The patch mode.
        {"patch a folder of 5: a plain WAV and a short file refused", Where::Everywhere,
         {{"p/a.wav", sample, patched}, {"p/b.wav", sample, patched}, {"p/c.wav", Patched(sample, 7050000, 150000), patched},
          {"p/plain.wav", plain, {}}, {"p/short.wav", shortFile, {}}},
         {"--cf", "7.05M", "--bw", "192k", "p"}, 1,
         "p" + sep + "a.wav: CenterFreq 7100000 -> 7050000, Bandwidth 150000 -> 192000\n" + "p" + sep +
             "b.wav: CenterFreq 7100000 -> 7050000, Bandwidth 150000 -> 192000\n" + "p" + sep +
             "c.wav: CenterFreq 7050000 -> 7050000, Bandwidth 150000 -> 192000\n" + "p" + sep +
             "plain.wav: not written: no AUXI chunk in this file\n" + "p" + sep +
             "short.wav: not written: no AUXI chunk in this file\n",
         "CenterFreq: 7100000 (2 files) -> 7050000\nBandwidth: 150000 (3 files) -> 192000\n3 patched, 0 unchanged, 2 refused, 0 failed\n"},
        {"patch: unchanged, --cf alone", Where::Everywhere, {{"a.wav", sample, {}}}, {"--cf", "7100k", "a.wav"}, 0,
         "a.wav: unchanged\n", "0 patched, 1 unchanged, 0 refused, 0 failed\n"},
        {"patch: --dry-run writes nothing", Where::Everywhere, {{"a.wav", sample, {}}, {"plain.wav", plain, {}}},
         {"--dry-run", "--bw", "192000", "a.wav", "plain.wav"}, 1,
         "would patch a.wav: Bandwidth 150000 -> 192000\nplain.wav: not written: no AUXI chunk in this file\n",
         "Bandwidth: 150000 (1 file) -> 192000\n1 would be patched, 0 unchanged, 1 refused, 0 failed\n"},
        {"patch: JSON holds the old values, an unopenable path fails", Where::LinuxOnly,
         {{"a.wav", sample, Patched(sample, 7100000, 0)}}, {"--json", "--bw", "0", "a.wav", "nope.wav"}, 1,
         R"({"type":"patch","path":"a.wav","result":"patched","before":{"CenterFreq":7100000,"Bandwidth":150000},)"
         R"("after":{"CenterFreq":7100000,"Bandwidth":0},"error":null})" "\n"
         R"({"type":"patch","path":"nope.wav","result":"failed","before":null,"after":null,"error":")" + missing +
             "\"}\n",
         "Bandwidth: 150000 (1 file) -> 0\nkalimber: nope.wav: " + missing + "\n1 patched, 0 unchanged, 0 refused, 1 failed\n",
         Before([] { std::filesystem::create_symlink("nowhere.wav", "nope.wav"); })},  // there, but no file behind it
        {"patch: a typo is a usage error, nothing opened", Where::Everywhere, {{"a.wav", sample, {}}},
         {"--cf", "7O50000", "a.wav"}, 2, "",
         "kalimber: --cf: '7O50000' is not a frequency in hertz (7050000, 7050k, 7.05M or 7.05MHz)\n" + usageHint},
        // Every write fails at once (the file may not grow past byte 36): nothing changes.
        // No launcher: valgrind's own log would meet the limit too.
        {"patch: writes refused by the file-size limit", Where::Direct,
         {{"a.wav", sample, {}}, {"b.wav", sample, {}}}, {"--cf", "5", "a.wav", "b.wav"}, 1,
         "a.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n"
         "b.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n",
         "CenterFreq: 7100000 (2 files) -> 5\n0 patched, 0 unchanged, 0 refused, 2 failed\n", FileSizeLimit(36)},
        // The write stops at byte 80, after the new CenterFreq and before the
        // new Bandwidth: the old chunk goes back, and the file holds both old values.
        {"patch: a write cut short is undone", Where::Direct, {{"r.wav", sample, sample}},
         {"--json", "--cf", "7.05M", "--bw", "192k", "r.wav"}, 1,
         R"({"type":"patch","path":"r.wav","result":"failed","before":{"CenterFreq":7100000,"Bandwidth":150000},)"
         R"("after":{"CenterFreq":7100000,"Bandwidth":150000},)"
         R"("error":"File too large; the file holds CenterFreq 7100000, Bandwidth 150000"})" "\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\nBandwidth: 150000 (1 file) -> 192000\n0 patched, 0 unchanged, 0 refused, 1 failed\n", FileSizeLimit(80)},
        // The second of three syncs fails: that file fails, the ones after it are patched.
        {"patch: a failed sync in the middle of a batch", Where::Direct,
         {{"a.wav", sample, Patched(sample, 5, 150000)}, {"b.wav", sample, Patched(sample, 5, 150000)},
          {"c.wav", sample, Patched(sample, 5, 150000)}},
         {"--cf", "5", "a.wav", "b.wav", "c.wav"}, 1,
         "a.wav: CenterFreq 7100000 -> 5\nb.wav: write failed: sync: Input/output error\n"
         "c.wav: CenterFreq 7100000 -> 5\n",
         "CenterFreq: 7100000 (3 files) -> 5\n2 patched, 0 unchanged, 0 refused, 1 failed\n", FsyncFailing(kFsyncFails, "2")},
        {"patch line: a name with a line end", Where::LinuxOnly, {{"a\nb.wav", sample, patchedCf}},
         {"--cf", "7.05M", "a\nb.wav"}, 0, "a\\x0Ab.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
    };
    return std::vector<Case>(std::begin(cases), std::end(cases));
}

INSTANTIATE_TEST_SUITE_P(Patch, CommandLineRow, ::testing::ValuesIn(PatchCases()), RowName);

}  // namespace
}  // namespace kalimber::test
