// The shared makings of the command line's row tables, built once a table
// when the tests are listed.
#include "tests/row_kit.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/expected_text.h"
#include "tools/sample_recording.h"

namespace kalimber::test {

const std::string kForgedNext = "x\n---Additional Information---\n   WavFileDurationMillisec: 86400000";

std::string RowKit::ReportOf(const std::string& path, const Bytes& bytes) const {
    std::string report = sampleReport;
    report.replace(report.find("sample.wav"), 10, path);
    return bytes == SampleRecording() ? report
                                      : "Selected file: \n" + path + "\n\n" + kRule + "\n" + ReportOfBytes(bytes);
}

RowKit MakeRowKit() {
    RowKit kit;
    kit.windows = EndsWith(kExe, ".exe");
    kit.sep = kit.windows ? "\\" : "/";
    kit.run = SourceText("tests/data/sample_run.txt");
    kit.sampleReport = kit.run.substr(kBanner.size(), kit.run.find(kCmdListBanner) - kBanner.size());
    kit.sample = SampleRecording();
    kit.plain = PlainWav(400);
    kit.shortFile = Bytes(kit.sample.begin(), kit.sample.begin() + 100);
    kit.emptyWav = PlainWav(0);
    kit.patched = Patched(kit.sample, 7050000, 192000);
    kit.patchedCf = Patched(kit.sample, 7050000, 150000);
    kit.forged = [] {
        RecordingHeader h = sample::MakeHeader(1000);
        sample::SetText(h.Orva.SN, sizeof h.Orva.SN, "A\nB\x1B[31mC\xC2\x9B");
        sample::SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, kForgedNext);
        return RecordingWith(h, 1000);
    }();
    kit.csvHeader =
        "path,size,Check,WavFileDurationMillisec,StartTime,StopTime,CenterFreq,Bandwidth,CnkSampleRate,"
        "CnkNumChan,CnkBitPerSample,CnkAudioFormat,SN,NextFileName,error\n";
    kit.csvSampleTail =
        ",123296,ok,160,2021-04-17 14:03:09.045,2021-04-17 14:03:09.205,7100000,150000,192000,2,16,1,"
        "KLB-0042-7731,,\n";
    kit.csvEmptyWavTail = ",44,not-orva,,,,,,48000,2,16,1,,,\n";  // no AUXI, ORVA or DATA chunk: empty
    kit.usageHint = "Try 'kalimber --help'.\n";
    kit.missing = "No such file or directory";
    for (int i = 0; i < 100; ++i) {
        kit.hundredThenZ.push_back({"d/a" + std::to_string(100 + i) + ".wav", WellFormedRecording(1000), {}});
    }
    kit.hundredThenZ.push_back({"d/z.wav", WellFormedRecording(1000), {}});
    const Bytes small = WellFormedRecording(1000);
    const Bytes smallPatched = Patched(small, 7050000, 150000);
    for (int i = 0; i < 200; ++i) {
        kit.twoHundred.push_back({"d/a" + std::to_string(100 + i) + ".wav", small, {}});
        kit.twoHundredPatched.push_back({"d/a" + std::to_string(100 + i) + ".wav", small, smallPatched});
    }
    return kit;
}

Bytes OddRecording() {
    RecordingHeader h = sample::MakeHeader(1000);
    sample::SetText(h.Orva.SN, sizeof h.Orva.SN, "SN\xFF\xC3");
    h.Riff.Id[2] = 0;
    h.Orva.Options1 = 6;
    return RecordingWith(h, 1000);
}

std::string Tally(int files, int recordings, int notOrva, int unreadable) {
    return std::to_string(files) + " files: " + std::to_string(recordings) +
           (recordings == 1 ? " recording, " : " recordings, ") + std::to_string(notOrva) +
           " not-orva, 0 unsupported-version, 0 truncated, " + std::to_string(unreadable) + " could not be read\n";
}

std::function<void(const Exit&)> ProgressShown(const std::string& verb) {
    return [verb](const Exit& e) {
        EXPECT_NE(e.rawErr.find("\r" + verb + " "), std::string::npos) << e.rawErr;
        EXPECT_NE(e.rawErr.find(" of 101: d/a1"), std::string::npos) << e.rawErr;
        // After the last line drawn: a carriage return, blanks over it, another.
        const std::size_t wipe = e.rawErr.find('\r', e.rawErr.rfind("\r" + verb) + 1);
        ASSERT_NE(wipe, std::string::npos) << e.rawErr;
        const std::size_t after = e.rawErr.find_first_not_of(' ', wipe + 1);
        EXPECT_TRUE(after > wipe + 1 && after != std::string::npos && e.rawErr[after] == '\r') << e.rawErr;
    };
}

Bytes Part(int offsetMs, const std::string& next, std::uint32_t centerFreq) {
    RecordingHeader h = sample::MakeSessionPart(sample::SampleStart() + std::chrono::milliseconds{offsetMs}, next);
    h.Auxi.CenterFreq.Set(centerFreq);
    return RecordingWith(h, sample::SampleDataBytes);
}

std::vector<File> ChainOfFive() {
    return {{"a.wav", Part(0, "b.wav"), {}},
            {"b.wav", Part(160, "c.wav"), {}},
            {"c.wav", Part(320, "d.wav"), {}},
            {"d.wav", Part(480, "e.wav"), {}},
            {"e.wav", Part(640, ""), {}}};
}

std::vector<File> GapAndFix() {
    return {{"a.wav", Part(0, "b.wav"), {}}, {"b.wav", Part(160, "c.wav"), {}}, {"c.wav", Part(5320, "", 7050000), {}}};
}

std::string Section(int files, const std::string& first, const std::string& last, const std::string& start,
                    const std::string& stop, int duration, const std::string& lines) {
    return "\n---Chain---\n   Files: " + std::to_string(files) + "\n   First: " + first + "\n   Last: " + last +
           "\n   StartTime: " + (start.find('/') == std::string::npos ? "2021/4/17  " : "") + start +
           "\n   StopTime:  " + (stop.find('/') == std::string::npos ? "2021/4/17  " : "") + stop +
           "\n   WavFileDurationMillisec: " + std::to_string(duration) + "\n" + lines;
}

std::function<void(const Exit&)> EndsWithOut(std::string tail) {
    return [tail](const Exit& e) { EXPECT_TRUE(EndsWith(e.out, tail)) << e.out; };
}

}  // namespace kalimber::test
