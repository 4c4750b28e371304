// The command line as a user runs it, row by row: each row's files, arguments,
// exit status, both outputs and the bytes of the files afterwards, natively and under wine.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/expected_text.h"
#include "tests/process_harness.h"
#include "tests/test_support.h"
#include "tools/example_session.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

// A recording whose serial number is not UTF-8, whose RIFF identifier holds
// a NUL, and whose Options1 selects block mode 3 (no duration worked out).
Bytes OddRecording() {
    RecordingHeader h = sample::MakeHeader(1000);
    sample::SetText(h.Orva.SN, sizeof h.Orva.SN, "SN\xFF\xC3");
    h.Riff.Id[2] = 0;
    h.Orva.Options1 = 6;
    return RecordingWith(h, 1000);
}

// A NextFileName that would print a false duration line of its own.
const std::string kForgedNext = "x\n---Additional Information---\n   WavFileDurationMillisec: 86400000";

// Every row of the command-line table, built once when the tests are listed.
std::vector<Case> CommandLineCases() {
    const ScratchDir scratch;  // the expected reports are worked out from files of its own
    using nlohmann::json;
    const bool windows = EndsWith(kExe, ".exe");
    const std::string sep = windows ? "\\" : "/";
    const std::string run = SourceText("tests/data/sample_run.txt");
    const std::string sampleReport = run.substr(kBanner.size(), run.find(kCmdListBanner) - kBanner.size());
    auto reportOf = [&](const std::string& path, const Bytes& bytes) {
        std::string report = sampleReport;
        report.replace(report.find("sample.wav"), 10, path);
        return bytes == SampleRecording() ? report
                                          : "Selected file: \n" + path + "\n\n" + kRule + "\n" + ReportOfBytes(bytes);
    };
    const Bytes sample = SampleRecording();
    const Bytes plain = PlainWav(400);
    const Bytes shortFile(sample.begin(), sample.begin() + 100);
    const std::string csvHeader =
        "path,size,Check,WavFileDurationMillisec,StartTime,StopTime,CenterFreq,Bandwidth,CnkSampleRate,"
        "CnkNumChan,CnkBitPerSample,CnkAudioFormat,SN,NextFileName,error\n";
    const std::string csvSampleTail =
        ",123296,ok,160,2021-04-17 14:03:09.045,2021-04-17 14:03:09.205,7100000,150000,192000,2,16,1,"
        "KLB-0042-7731,,\n";
    const std::string usageHint = "Try 'kalimber --help'.\n";
    // The line a report over more than one file ends with, on standard error.
    auto tally = [](int files, int recordings, int notOrva, int unreadable) {
        return std::to_string(files) + " files: " + std::to_string(recordings) +
               (recordings == 1 ? " recording, " : " recordings, ") + std::to_string(notOrva) +
               " not-orva, 0 unsupported-version, 0 truncated, " + std::to_string(unreadable) + " could not be read\n";
    };
    const std::string missing = "No such file or directory";
    const Bytes emptyWav = PlainWav(0);  // its AUXI place all zero but "data"
    const std::string csvEmptyWavTail =
        ",44,not-orva,,,,,,48000,2,16,1,,,\n";  // no AUXI, ORVA or DATA chunk: empty
    const Bytes patched = Patched(sample, 7050000, 192000);
    const Bytes patchedCf = Patched(sample, 7050000, 150000);
    // Their reports (about 1.1 KB each) fill a 64 KiB pipe well before z.wav.
    std::vector<File> hundredThenZ;
    for (int i = 0; i < 100; ++i) {
        hundredThenZ.push_back({"d/a" + std::to_string(100 + i) + ".wav", WellFormedRecording(1000), {}});
    }
    hundredThenZ.push_back({"d/z.wav", WellFormedRecording(1000), {}});
    // Small recordings: the table is built in every test process, under an
    // emulator too.
    const Bytes small = WellFormedRecording(1000);
    const Bytes smallPatched = Patched(small, 7050000, 150000);
    std::vector<File> twoHundred;
    std::vector<File> twoHundredPatched;
    for (int i = 0; i < 200; ++i) {
        twoHundred.push_back({"d/a" + std::to_string(100 + i) + ".wav", small, {}});
        twoHundredPatched.push_back({"d/a" + std::to_string(100 + i) + ".wav", small, smallPatched});
    }
    // The progress line was drawn on the terminal and wiped at the end.
    auto progressShown = [](const std::string& verb) {
        return [verb](const Exit& e) {
            EXPECT_NE(e.rawErr.find("\r" + verb + " "), std::string::npos) << e.rawErr;
            EXPECT_NE(e.rawErr.find(" of 101: d/a1"), std::string::npos) << e.rawErr;
            // After the last line drawn: a carriage return, blanks over it, another.
            const std::size_t wipe = e.rawErr.find('\r', e.rawErr.rfind("\r" + verb) + 1);
            ASSERT_NE(wipe, std::string::npos) << e.rawErr;
            const std::size_t after = e.rawErr.find_first_not_of(' ', wipe + 1);
            EXPECT_TRUE(after > wipe + 1 && after != std::string::npos && e.rawErr[after] == '\r') << e.rawErr;
        };
    };
    const Bytes forged = [] {
        RecordingHeader h = sample::MakeHeader(1000);
        sample::SetText(h.Orva.SN, sizeof h.Orva.SN, "A\nB\x1B[31mC\xC2\x9B");
        sample::SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, kForgedNext);
        return RecordingWith(h, 1000);
    }();
    const Case cases[] = {
        {"text as the run prints it", Where::Everywhere, {{"sample.wav", sample, {}}}, {"sample.wav"}, 0,
         kBanner + sampleReport, ""},
        {"a missing file between two good ones", Where::Everywhere,
         {{"a.wav", sample, {}}, {"c.wav", sample, {}}}, {"a.wav", "missing.wav", "c.wav"}, 1,
         kBanner + reportOf("a.wav", sample) + "\n" + reportOf("c.wav", sample),
         "kalimber: missing.wav: " + missing + "\n" + tally(3, 2, 0, 1)},
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
         tally(3, 2, 1, 0)},
        {"-r: subfolders depth first", Where::Everywhere,
         {{"d/b.wav", sample, {}}, {"d/A.WAV", sample, {}}, {"d/sub/x.wav", sample, {}}, {"d/z/y.wav", sample, {}}},
         {"-r", "--csv", "d"}, 0,
         csvHeader + "d" + sep + "A.WAV" + csvSampleTail + "d" + sep + "b.wav" + csvSampleTail + "d" + sep + "sub" +
             sep + "x.wav" + csvSampleTail + "d" + sep + "z" + sep + "y.wav" + csvSampleTail,
         tally(4, 4, 0, 0)},
        // No quote in a Windows name.
        {"CSV quotes a comma and a quote", Where::LinuxOnly, {{"a,\"b\".wav", sample, {}}},
         {"--csv", "a,\"b\".wav"}, 0, csvHeader + "\"a,\"\"b\"\".wav\"" + csvSampleTail, ""},
        {"JSON: every key, odd bytes, no duration carried over", Where::Everywhere,
         {{"a.wav", sample, {}}, {"odd.wav", OddRecording(), {}}}, {"--json", "a.wav", "odd.wav", "nope.wav"}, 1,
         "*", "kalimber: nope.wav: " + missing + "\n" + tally(3, 2, 0, 1),
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
         kBanner + reportOf("d" + sep + ".wav", sample) + "\n" + reportOf("d" + sep + "b.wav", sample),
         tally(2, 2, 0, 0)},
        {"patch: a folder with no .wav file, then a file", Where::Everywhere, {{"e/c.txt", plain, {}}, {"a.wav", sample, patchedCf}},
         {"--cf", "7.05M", "e", "a.wav"}, 1, "a.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (1 file) -> 7050000\nkalimber: e: no .wav files\n1 patched, 0 unchanged, 0 refused, 0 failed\n"},
        // Every file is closed again: far more files than may be open at once.
        {"200 files under a limit of 64 open, reported", Where::Direct, twoHundred, {"--csv", "d"}, 0, "*",
         tally(200, 200, 0, 0), OpenFilesLimit(64),
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
         {"--csv", "d", "a.wav"}, 0, "*", tally(2, 2, 0, 0),
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
         tally(2, 2, 0, 0)},
        {"wildcards expanded by the tool", Where::WindowsOnly,
         {{"b.wav", sample, {}}, {"A.WAV", sample, {}}, {"c.txt", emptyWav, {}}, {"\xE5\xBD\x95.wav", sample, {}}},
         {"--csv", "*.wav", "?.txt"}, 1,
         csvHeader + "A.WAV" + csvSampleTail + "b.wav" + csvSampleTail + "\xE5\xBD\x95.wav" + csvSampleTail +
             "c.txt" + csvEmptyWavTail,
         tally(4, 3, 1, 0)},
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
         "kalimber: d" + sep + "z.wav: not a regular file\n" + tally(101, 100, 0, 1),
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
         SlowOpens("15"), progressShown("reading")},
        {"progress on a terminal: --svg", Where::Direct, hundredThenZ, {"--svg", "d"}, 0, "*", "*", SlowOpens("15"),
         progressShown("reading")},
        {"progress on a terminal: --chain --cf", Where::Direct, hundredThenZ, {"-P", "--chain", "--cf", "7100000", "d"}, 0,
         "*", "*", SlowOpens("15"), progressShown("patching")},
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
         "kalimber: no\\x0Asuch.wav: " + missing + "\n" + tally(2, 1, 0, 1), {},
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
    // Split recordings: files of 160 ms each from the sample's start, at
    // offsets in ms, each naming the next; a section as the tool prints it.
    auto part = [](int offsetMs, const std::string& next, std::uint32_t centerFreq = 7100000) {
        RecordingHeader h = sample::MakeSessionPart(sample::SampleStart() + std::chrono::milliseconds{offsetMs}, next);
        h.Auxi.CenterFreq.Set(centerFreq);
        return RecordingWith(h, sample::SampleDataBytes);
    };
    auto section = [](int files, const std::string& first, const std::string& last, const std::string& start,
                      const std::string& stop, int duration, const std::string& lines) {
        return "\n---Chain---\n   Files: " + std::to_string(files) + "\n   First: " + first + "\n   Last: " + last +
               "\n   StartTime: " + (start.find('/') == std::string::npos ? "2021/4/17  " : "") + start +
               "\n   StopTime:  " + (stop.find('/') == std::string::npos ? "2021/4/17  " : "") + stop +
               "\n   WavFileDurationMillisec: " + std::to_string(duration) + "\n" + lines;
    };
    auto endsWith = [](std::string tail) {
        return [tail](const Exit& e) { EXPECT_TRUE(EndsWith(e.out, tail)) << e.out; };
    };
    const std::string badMonth = [&] {
        Bytes b = part(160, "c.wav");
        b[46] = 13;  // StartTime's month
        return std::string(b.begin(), b.end());
    }();
    const Bytes plainEnd = emptyWav;
    const std::vector<File> chainOfFive = {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}},
                                           {"c.wav", part(320, "d.wav"), {}}, {"d.wav", part(480, "e.wav"), {}},
                                           {"e.wav", part(640, ""), {}}};
    // A 5-second gap before the third file, whose centre frequency was fixed.
    const std::vector<File> gapAndFix = {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}},
                                         {"c.wav", part(5320, "", 7050000), {}}};
    std::string fiveReports = kBanner;
    for (const File& f : chainOfFive) {
        if (f.path != "a.wav") {
            fiveReports += "\n";
        }
        fiveReports += reportOf(f.path, f.bytes);
    }
    const Case chains[] = {
        {"chain of 5 that holds together", Where::Everywhere, chainOfFive, {"--chain", "a.wav"}, 0,
         fiveReports + section(5, "a.wav", "e.wav", "14:3:9:45", "14:3:9:845", 800, ""), ""},
        {"chain with a 5-second gap, JSON", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}, {"c.wav", part(5320, ""), {}}},
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
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}, {"c.wav", part(-2680, ""), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         endsWith(section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:6:525", 480,
                          "   Break: b.wav -> c.wav: overlap 3000 ms\n"))},
        {"a missing third file", Where::Everywhere, {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}},
         {"--chain", "-q", "a.wav"}, 1, "", ""},
        {"a missing third file, -q, JSON", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}}, {"--chain", "--json", "-q", "a.wav"}, 1,
         "", ""},
        {"a missing third file, told", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}}, {"--chain", "a.wav"}, 1, "*", "", {},
         endsWith(section(2, "a.wav", "b.wav", "14:3:9:45", "14:3:9:365", 320,
                          "   Missing: c.wav (named by b.wav)\n"))},
        {"a loop", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}, {"c.wav", part(320, "a.wav"), {}}},
         {"--chain", "b.wav"}, 1, "*", "", {},
         endsWith(section(3, "b.wav", "a.wav", "14:3:9:205", "14:3:9:205", 480,
                          "   Loop: b.wav (named by a.wav)\n"))},
        // The names hold a way out of the folder; files of those names wait outside it.
        {"names that would leave the folder", Where::Everywhere,
         {{"secret.wav", sample, {}}, {"passwd", sample, {}},
          {"s/a.wav", part(0, "..\\..\\secret.wav"), {}}, {"t/a.wav", part(0, "/etc/passwd"), {}}},
         {"--chain", "s" + sep + "a.wav", "t" + sep + "a.wav"}, 1, "*", "", {},
         [=](const Exit& e) {
             EXPECT_NE(e.out.find(section(1, "s" + sep + "a.wav", "s" + sep + "a.wav", "14:3:9:45", "14:3:9:205", 160,
                                          "   Missing: secret.wav (named by s" + sep + "a.wav)\n")),
                       std::string::npos) << e.out;
             EXPECT_TRUE(EndsWith(e.out, section(1, "t" + sep + "a.wav", "t" + sep + "a.wav", "14:3:9:45",
                                                 "14:3:9:205", 160, "   Missing: passwd (named by t" + sep + "a.wav)\n")));
             EXPECT_EQ(e.out.find("Selected file: \nsecret.wav"), std::string::npos);
         }},
        {"a centre frequency fixed in 3 of 5", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, "c.wav"), {}}, {"c.wav", part(320, "d.wav", 7050000), {}},
          {"d.wav", part(480, "e.wav", 7050000), {}}, {"e.wav", part(640, "", 7050000), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         endsWith(section(5, "a.wav", "e.wav", "14:3:9:45", "14:3:9:845", 800,
                          "   Break: b.wav -> c.wav: CenterFreq 7100000 -> 7050000\n"))},
        {"an invalid month", Where::Everywhere,
         {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", Bytes(badMonth.begin(), badMonth.end()), {}},
          {"c.wav", part(320, ""), {}}},
         {"--chain", "a.wav"}, 1, "*", "", {},
         endsWith(section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:9:525", 480,
                          "   Break: a.wav -> b.wav: gap unreadable\n"))},
        {"a folder with two chains and a stray file", Where::Everywhere,
         {{"d/b2.wav", part(160, "b3.wav"), {}}, {"d/a1.wav", part(0, "a2.wav"), {}}, {"d/b1.wav", part(0, "b2.wav"), {}},
          {"d/a2.wav", part(160, ""), {}}, {"d/b3.wav", part(320, ""), {}}, {"d/z.wav", sample, {}}},
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
         {{"a.wav", part(0, "b.wav"), Patched(part(0, "b.wav"), 7050000, 150000)},
          {"b.wav", part(160, "c.wav"), Patched(part(160, "c.wav"), 7050000, 150000)},
          {"c.wav", part(320, "d.wav"), Patched(part(320, "d.wav"), 7050000, 150000)},
          {"d.wav", part(480, "plain.wav"), Patched(part(480, "plain.wav"), 7050000, 150000)},
          {"plain.wav", plainEnd, {}}},
         {"--chain", "--cf", "7050k", "a.wav"}, 1,
         "a.wav: CenterFreq 7100000 -> 7050000\nb.wav: CenterFreq 7100000 -> 7050000\n"
         "c.wav: CenterFreq 7100000 -> 7050000\nd.wav: CenterFreq 7100000 -> 7050000\n"
         "plain.wav: not written: no AUXI chunk in this file\n" +
             section(5, "a.wav", "plain.wav", "14:3:9:45", "0/0/0  0:0:0:0", 640,
                     "   Break: d.wav -> plain.wav: gap unreadable\n"
                     "   Break: d.wav -> plain.wav: CnkSampleRate 192000 -> 48000\n"
                     "   Break: d.wav -> plain.wav: CenterFreq 7050000 -> 0\n"
                     "   Break: d.wav -> plain.wav: Bandwidth 150000 -> 0\n"
                     "   Break: d.wav -> plain.wav: Check ok -> not-orva\n"),
         "CenterFreq: 7100000 (4 files) -> 7050000\n4 patched, 0 unchanged, 1 refused, 0 failed\n"},
        // A copied first file names the same second file: a fork, not a loop.
        {"a fork", Where::Everywhere,
         {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, ""), {}}, {"d/x.wav", part(0, "b.wav"), {}}},
         {"--chain", "d"}, 1, "*", "", {},
         endsWith(section(1, "d" + sep + "x.wav", "d" + sep + "x.wav", "14:3:9:45", "14:3:9:205", 160,
                          "   Fork: b.wav (named by d" + sep + "x.wav, already in the chain from d" + sep +
                              "a.wav)\n"))},
        {"a fork, JSON", Where::Everywhere,
         {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, ""), {}}, {"d/x.wav", part(0, "b.wav"), {}}},
         {"--chain", "--json", "--summary", "d"}, 1, "*", "", {},
         [=](const Exit& e) {
             const std::string last = e.out.substr(e.out.rfind('\n', e.out.size() - 2) + 1);
             EXPECT_EQ(json::parse(last)["chain"]["fork"],
                       json::parse(R"({"name":"b.wav","named_by":"d)" + std::string(windows ? "\\\\" : "/") +
                                   R"(x.wav","first":"d)" + (windows ? "\\\\" : "/") + R"(a.wav"})"));
         }},
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
        {"--svg -q: a chain that holds, drawn for nobody", Where::Everywhere, chainOfFive, {"--svg", "-q", "a.wav"}, 0,
         "", ""},
        {"--svg -r: the chains of every subfolder, the lost files listed", Where::Everywhere,
         {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, ""), {}}, {"d/s/x.wav", part(320, ""), {}},
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
        {"--svg to a full disk", Where::LinuxOnly, chainOfFive, {"--svg", "a.wav"}, 1, "",
         "kalimber: standard output: No space left on device\n", OutputTo(Output::DevFull)},
        {"--svg with --json", Where::Everywhere, {}, {"--svg", "--json", "a.wav"}, 2, "",
         "kalimber: --svg excludes --json\n" + usageHint},
        {"--svg with a patch", Where::Everywhere, {}, {"--svg", "--cf", "7.05M", "a.wav"}, 2, "",
         "kalimber: --svg draws a report; a patch writes text or --json\n" + usageHint},
        {"--svg with --summary", Where::Everywhere, {}, {"--svg", "--summary", "a.wav"}, 2, "",
         "kalimber: --svg draws every file; --summary does not go with it\n" + usageHint},
        {"a folder whose first file sorts after the one it names", Where::Everywhere,
         {{"d/z.wav", part(0, "a.wav"), {}}, {"d/a.wav", part(160, ""), {}}}, {"--chain", "--summary", "d"}, 0,
         section(2, "d" + sep + "z.wav", "d" + sep + "a.wav", "14:3:9:45", "14:3:9:365", 320, ""), ""},
        {"a folder of a loop alone", Where::Everywhere, {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, "a.wav"), {}}},
         {"--chain", "--summary", "d"}, 1,
         section(2, "d" + sep + "a.wav", "d" + sep + "b.wav", "14:3:9:45", "14:3:9:365", 320,
                 "   Loop: a.wav (named by d" + sep + "b.wav)\n"),
         ""},
        {"a file that fails the check starts no chain", Where::Everywhere,
         {{"d/a.wav", part(0, ""), {}}, {"d/plain.wav", plain, {}}}, {"--chain", "d"}, 1, "*", "", {},
         [=](const Exit& e) {
             EXPECT_EQ(e.out.find("---Chain---"), e.out.rfind("---Chain---"));
             // Reported last, on its own, with no section after it.
             const std::size_t at = e.out.rfind("Selected file: \nd" + sep + "plain.wav\n");
             ASSERT_NE(at, std::string::npos) << e.out;
             EXPECT_GT(at, e.out.find("---Chain---"));
             EXPECT_TRUE(EndsWith(e.out, "This is not an ORVA .wav file!!!\n"));
         }},
        {"a NextFileName that names a folder", Where::Everywhere, {{"a.wav", part(0, "sub/"), {}}, {"sub/x.wav", sample, {}}},
         {"--chain", "--summary", "a.wav"}, 1,
         section(1, "a.wav", "a.wav", "14:3:9:45", "14:3:9:205", 160, "   Missing: sub/ (named by a.wav)\n"), ""},
        {"a loop started as d//a.wav is found at once", Where::LinuxOnly,
         {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, "a.wav"), {}}}, {"--chain", "--summary", "d//a.wav"}, 1,
         section(2, "d//a.wav", "d/b.wav", "14:3:9:45", "14:3:9:365", 320, "   Loop: a.wav (named by d/b.wav)\n"), ""},
        {"a chain of a folder and its first file, once", Where::Everywhere,
         {{"d/a.wav", part(0, "b.wav"), {}}, {"d/b.wav", part(160, ""), {}}, {"e.wav", part(0, ""), {}}},
         {"--chain", "--summary", "d", "d/a.wav", "e.wav"}, 0,
         section(2, "d" + sep + "a.wav", "d" + sep + "b.wav", "14:3:9:45", "14:3:9:365", 320, "") +
             section(1, "e.wav", "e.wav", "14:3:9:45", "14:3:9:205", 160, ""),
         ""},
        // Windows names fold case: B.WAV is b.wav, in one chain, patched once.
        {"a NextFileName in another case", Where::WindowsOnly,
         {{"d/a.wav", part(0, "B.WAV"), Patched(part(0, "B.WAV"), 7050000, 150000)},
          {"d/b.wav", part(160, ""), Patched(part(160, ""), 7050000, 150000)}},
         {"--chain", "--cf", "7.05M", "d"}, 0, "*",
         "CenterFreq: 7100000 (2 files) -> 7050000\n2 patched, 0 unchanged, 0 refused, 0 failed\n", {},
         [](const Exit& e) {
             EXPECT_EQ(e.out.find("---Chain---"), e.out.rfind("---Chain---")) << e.out;
             EXPECT_NE(e.out.find("   Last: d\\b.wav\n"), std::string::npos) << e.out;  // as the folder lists it
         }},
        {"--summary: the sections alone", Where::Everywhere, gapAndFix, {"--chain", "--summary", "a.wav"}, 1,
         section(3, "a.wav", "c.wav", "14:3:9:45", "14:3:14:525", 480,
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
        {"a chain in CSV", Where::Everywhere, {{"a.wav", part(0, "b.wav"), {}}, {"b.wav", part(160, ""), {}}},
         {"--chain", "--csv", "a.wav"}, 0,
         "path,size,Check,WavFileDurationMillisec,StartTime,StopTime,CenterFreq,Bandwidth,CnkSampleRate,"
         "CnkNumChan,CnkBitPerSample,CnkAudioFormat,SN,NextFileName,error,chain,link\n"
         "a.wav,123296,ok,160,2021-04-17 14:03:09.045,2021-04-17 14:03:09.205,7100000,150000,192000,2,16,1,"
         "KLB-0042-7731,b.wav,,a.wav,\n"
         "b.wav,123296,ok,160,2021-04-17 14:03:09.205,2021-04-17 14:03:09.365,7100000,150000,192000,2,16,1,"
         "KLB-0042-7731,,,a.wav,\n",
         ""},
        {"a chain of Unicode names", Where::Everywhere,
         {{"Aufnahme M\xC3\xA4rz 1.wav", part(0, "\xE5\xBD\x95\xE9\x9F\xB3 2.wav"), {}},
          {"\xE5\xBD\x95\xE9\x9F\xB3 2.wav", part(160, ""), {}}},
         {"--chain", "--csv", "Aufnahme M\xC3\xA4rz 1.wav"}, 0, "*", "", {},
         [](const Exit& e) {
             EXPECT_TRUE(EndsWith(e.out, ",Aufnahme M\xC3\xA4rz 1.wav,\n")) << e.out;  // the link holds
             EXPECT_NE(e.out.find("\n\xE5\xBD\x95\xE9\x9F\xB3 2.wav,123296,ok,160,"), std::string::npos) << e.out;
         }},
    };
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
    const Bytes toBackup = part(0, "backup.bak");
    const Bytes monthThirteen = [&] {
        Bytes b = part(0, "");
        b[46] = 13;  // StartTime's month: a chain of its own that holds, but no place in time
        return b;
    }();
    // The run's report of the first 300 bytes, its DATA identifier of NULs escaped.
    std::string cutReport = reportOf("t.wav", cut(300));
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
         endsWith("   Missing: backup.bak (not a .wav file; named by cb" + sep + "a.wav)\n")},
        {"a link to x.WAV is followed", Where::Everywhere, {{"a.wav", part(0, "x.WAV"), {}}, {"x.WAV", part(160, ""), {}}},
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
         endsWith("   WavFileDurationMillisec: 1431655760\n")},
        {"CSV: text that a spreadsheet would run as a formula", Where::Everywhere,
         {{"=a.wav", withText("=cmd|' /C calc'!A0", "+b.wav"), {}}, {"+b.wav", withText("-3", "@d.wav"), {}},
          {"-c.wav", withText("@4", "\t5"), {}}, {"@d.wav", withText("\r6", "-7"), {}}},
         {"--csv", "--", "=a.wav", "+b.wav", "-c.wav", "@d.wav"}, 0, "*", tally(4, 4, 0, 0), {},
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
         "kalimber: nope.wav: " + missing + "\n" + tally(5, 3, 1, 1), {},
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
        {"--brief --chain: a line a chain, with its breaks", Where::Everywhere, gapAndFix, {"--brief", "--chain", "a.wav"},
         1, "*", "", {},
         endsWith("2021-04-17 14:03:14.365   0:00:00.160     7050.000 kHz      150.000 kHz  ok                   c.wav\n"
                  "chain a.wav: 3 files, 2021-04-17 14:03:09.045 to 2021-04-17 14:03:14.525, 0:00:00.480, 2 breaks: "
                  "b.wav -> c.wav gap 5000 ms; b.wav -> c.wav CenterFreq 7100000 -> 7050000\n")},
        {"--brief: controls escaped, the next file named", Where::LinuxOnly, {{"a\nb.wav", forged, {}}},
         {"--brief", "a\nb.wav"}, 0, "*", "", {},
         endsWith("  ok                   a\\x0Ab.wav -> x\\x0A---Additional Information---\\x0A   "
                  "WavFileDurationMillisec: 86400000\n")},
        usage("--brief with --json", {"--brief", "--json", "a.wav"}, "--brief excludes --json"),
        usage("--brief with a patch", {"--brief", "--cf", "7M", "a.wav"}, "--brief reports; a patch writes text or --json"),
        {"an empty folder: no banner", Where::Everywhere, {}, {"e"}, 1, "", "kalimber: e: no .wav files\n",
         Before([] { std::filesystem::create_directory("e"); })},
        {"a folder with no .wav file: no banner", Where::Everywhere, {{"e/c.txt", plain, {}}}, {"--chain", "e"}, 1, "",
         "kalimber: e: no .wav files\n"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.insert(all.end(), std::begin(chains), std::end(chains));
    all.insert(all.end(), std::begin(edges), std::end(edges));
    return all;
}

INSTANTIATE_TEST_SUITE_P(Process, CommandLineRow, ::testing::ValuesIn(CommandLineCases()), RowName);

}  // namespace
}  // namespace kalimber::test
