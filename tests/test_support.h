// Helpers for the in-process tests: a scratch working folder, captured output,
// and whole-run execution from the zero state of a fresh process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "header/recording_header.h"
#include "platform/platform.h"
#include "tests/captured_output.h"

namespace kalimber::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh temporary folder that becomes the working directory for the
// object's lifetime; the previous directory is restored and the folder removed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

Bytes ReadFileBytes(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
void WriteFileRaw(const std::string& path, const Bytes& bytes);

// A well-formed recording from the builder: header plus dataBytes of samples.
Bytes WellFormedRecording(std::uint32_t dataBytes = 1000);
Bytes RecordingWith(const RecordingHeader& header, std::uint32_t dataBytes);

// An ordinary WAV file, as most recorders write it: a 16-byte format chunk
// and the data chunk at byte 36, then dataBytes of samples.
Bytes PlainWav(std::uint32_t dataBytes);

// The bytes with CenterFreq (76-79) and Bandwidth (88-91) set.
Bytes Patched(Bytes bytes, std::uint32_t centerFreq, std::uint32_t bandwidth);

// The report of a file holding bytes, from the zero state.
std::string ReportOfBytes(const Bytes& bytes);

// Everything a run on path prints, from the file's bytes before and after
// it: messages follow the command-list banner, and where one of them is a
// "Cmd Write", the header as read back follows too.
std::string ExpectedRunOutput(const std::string& path, const Bytes& before,
                              const std::string& messages, const Bytes& after);

// Runs the tool in-process in the current folder from the zero state, with
// the given ToDoWave.txt text, and returns everything it printed.
std::string RunWithCommandFile(const std::string& commandFileText);

// Loads and reports the recording at path from the zero state; returns the output.
std::string ReportOf(const std::string& path);

// Makes a sparse file: the header bytes, then the file extended to size.
void MakeSparseRecording(const std::string& path, const RecordingHeader& header,
                         std::int64_t size);

// The bytes of a command file holding text in UTF-16, byte-order mark first.
std::string Utf16CommandFile(const std::u16string& text, bool bigEndian);

// Replaces the platform calls for the object's lifetime: counts the syncs
// (which fail when syncFails is set, and otherwise really sync), and with
// console set, stands in for a console window and keeps what it was given;
// with ownsConsole set, it is the only process on it and counts the waits.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    static inline int syncs = 0;
    static inline bool syncFails = false;
    static inline bool console = false;
    static inline std::u16string consoleText;  // each line ends with u'\n'
    static inline bool ownsConsole = false;    // the only process on its console
    static inline int waits = 0;               // times it waited for Enter

private:
    PlatformCalls saved_;
};

}  // namespace kalimber::test
