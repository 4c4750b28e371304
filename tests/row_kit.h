// What the command line's row tables share: the sample and its reports, the
// files and texts their rows are made of, and the checks several rows make.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/process_harness.h"
#include "tests/test_support.h"

namespace kalimber::test {

// Built in the scratch folder of the table that uses it: the expected
// reports are worked out from files of its own.
struct RowKit {
    bool windows = false;  // the tool under test is the .exe, under wine
    std::string sep;       // the tool's path separator
    std::string run;       // the run's whole output over the sample
    std::string sampleReport;
    Bytes sample;
    Bytes plain;
    Bytes shortFile;  // the sample's first 100 bytes
    Bytes emptyWav;   // a plain WAV of no samples: its AUXI place all zero but "data"
    Bytes patched;    // the sample at 7050000 Hz and 192000 Hz
    Bytes patchedCf;  // the sample at 7050000 Hz
    Bytes forged;     // header text and names that would forge a line or reach the terminal
    std::string csvHeader;
    std::string csvSampleTail;
    std::string csvEmptyWavTail;
    std::string usageHint;
    std::string missing;
    // Their reports (about 1.1 KB each) fill a 64 KiB pipe well before z.wav.
    std::vector<File> hundredThenZ;
    // Small recordings: the table is built in every test process, under an emulator too.
    std::vector<File> twoHundred;
    std::vector<File> twoHundredPatched;

    // The report of a recording at path, as the text mode prints it.
    std::string ReportOf(const std::string& path, const Bytes& bytes) const;
};

RowKit MakeRowKit();

// A NextFileName that would print a false duration line of its own.
extern const std::string kForgedNext;

// A recording whose serial number is not UTF-8, whose RIFF identifier holds
// a NUL, and whose Options1 selects block mode 3 (no duration worked out).
Bytes OddRecording();

// The line a report over more than one file ends with, on standard error.
std::string Tally(int files, int recordings, int notOrva, int unreadable);

// The progress line was drawn on the terminal and wiped at the end.
std::function<void(const Exit&)> ProgressShown(const std::string& verb);

// Split recordings: files of 160 ms each from the sample's start, at
// offsets in ms, each naming the next.
Bytes Part(int offsetMs, const std::string& next, std::uint32_t centerFreq = 7100000);

// a.wav to e.wav, each naming the next, 160 ms each one after the other.
std::vector<File> ChainOfFive();

// a.wav, b.wav and c.wav, with a 5-second gap before the third, whose centre
// frequency was fixed.
std::vector<File> GapAndFix();

// A chain section as the text mode prints it; times without a / are on the sample's day.
std::string Section(int files, const std::string& first, const std::string& last, const std::string& start,
                    const std::string& stop, int duration, const std::string& lines);

// A check that standard output ends with tail.
std::function<void(const Exit&)> EndsWithOut(std::string tail);

}  // namespace kalimber::test
