// The command line as a user runs it, row by row: value forms, patch, quiet and
// lost output, and walking paths; each row's outputs and files afterwards.
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

std::vector<Case> CommandLineCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    const RowKit kit = MakeRowKit();
    using nlohmann::json;
    const std::string& sep = kit.sep;
    const std::string& sampleReport = kit.sampleReport;
    const Bytes& sample = kit.sample;
    const Bytes& plain = kit.plain;
    const Bytes& shortFile = kit.shortFile;
    const std::string& csvHeader = kit.csvHeader;
    const std::string& csvSampleTail = kit.csvSampleTail;
    const std::string& usageHint = kit.usageHint;
    const std::string& missing = kit.missing;
    const Bytes& emptyWav = kit.emptyWav;
    const std::string& csvEmptyWavTail = kit.csvEmptyWavTail;
    const Bytes& patched = kit.patched;
    const Bytes& patchedCf = kit.patchedCf;
    const std::vector<File>& hundredThenZ = kit.hundredThenZ;
    const std::vector<File>& twoHundred = kit.twoHundred;
    const std::vector<File>& twoHundredPatched = kit.twoHundredPatched;
    const Bytes& forged = kit.forged;
    std::vector<File> umlauts;
    for (int i = 0; i < 101; ++i) {
        std::string name = "d/";
        for (int letter = 0; letter < 20; ++letter) {
            name += "\xC3\xA4";
        }
        umlauts.push_back({name + std::to_string(100 + i) + ".wav", kit.twoHundred.front().bytes, {}});
    }
    const Case cases[] = {
        {"text as the run prints it", Where::Everywhere, {{"sample.wav", sample, {}}}, {"sample.wav"}, 0,
         kBanner + sampleReport, ""},
        {"a missing file between two good ones", Where::Everywhere,
         {{"a.wav", sample, {}}, {"c.wav", sample, {}}}, {"a.wav", "missing.wav", "c.wav"}, 1,
         kBanner + kit.ReportOf("a.wav", sample) + "\n" + kit.ReportOf("c.wav", sample),
         "kalimber: missing.wav: " + missing + "\n" + Tally(3, 2, 0, 1)},
        {"a plain WAV fails the check", Where::Everywhere, {{"plain.wav", plain, {}}}, {"-q", "plain.wav"}, 1, "",
         ""},
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
        {"every file a recording", Where::Everywhere, {{"a.wav", sample, {}}}, {"--quiet", "a.wav"}, 0, "", ""},
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
        // -q: nothing on standard output in any form; what went wrong on standard error.
        {"-q: a JSON patch prints nothing, its failures are told", Where::Everywhere,
         {{"a.wav", sample, patchedCf}, {"plain.wav", plain, {}}}, {"-q", "--json", "--cf", "7.05M", "a.wav", "plain.wav"},
         1, "", "kalimber: plain.wav: not written: no AUXI chunk in this file\n"},
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
        {"--max-gap below 0", Where::Everywhere, {{"a.wav", sample, {}}}, {"--chain", "--max-gap", "-1", "a.wav"}, 2,
         "", "kalimber: --max-gap: '-1' is not a whole number of milliseconds from 0 to 86400000\n" + usageHint},
        {"--summary without --chain", Where::Everywhere, {{"a.wav", sample, {}}}, {"--summary", "a.wav"}, 2, "",
         "kalimber: --summary goes with --chain, without a patch\n" + usageHint},
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
        {"-P keeps the modification time", Where::Everywhere, {{"a.wav", sample, patchedCf}},
         {"-P", "--cf", "7.05M", "a.wav"}, 0, "a.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n", {},
         [](const Exit&) {
             const auto age = std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time("a.wav");
             EXPECT_GT(age, std::chrono::minutes(59));
         }},
        {"unknown option", Where::Everywhere, {{"a.wav", sample, {}}}, {"--jsn", "a.wav"}, 2, "",
         "kalimber: unknown option '--jsn'\n" + usageHint},
        {"--json with --csv", Where::Everywhere, {}, {"--json", "--csv", "a.wav"}, 2, "",
         "kalimber: --json excludes --csv\n" + usageHint},
        {"no PATH", Where::Everywhere, {}, {"--json"}, 2, "", "kalimber: no PATH given\n" + usageHint},
        {"-- ends the options", Where::Everywhere, {{"--json", sample, {}}}, {"-q", "--", "--json"}, 0, "", ""},
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
        {"patch line: a name with a line end", Where::LinuxOnly, {{"a\nb.wav", sample, patchedCf}},
         {"--cf", "7.05M", "a\nb.wav"}, 0, "a\\x0Ab.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
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

INSTANTIATE_TEST_SUITE_P(Process, CommandLineRow, ::testing::ValuesIn(CommandLineCases()), RowName);

}  // namespace
}  // namespace kalimber::test
