// Progress on a terminal: one line on standard error that updates itself
// while many files are read or patched; never on a file or a pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kalimber {

struct Progress {
    bool On = false;              // standard error is a terminal, and not -q
    bool SharesScreen = false;    // standard output is a terminal too
    const char* Verb = "reading";
    std::uint64_t Total = 0;
    std::uint64_t Done = 0;
    std::chrono::steady_clock::time_point Start{};
    std::chrono::steady_clock::time_point Drawn{};
};

// Progress over total files, shown only where wanted and standard error is
// a terminal (a console window on Windows).
Progress StartProgress(bool wanted, const char* verb, std::uint64_t total);

// Takes the line off the screen: before a summary, and before each record
// where standard output shares the screen.
void HideProgress();

// Every message on standard error goes through here: "kalimber: " and the
// text, its control bytes shown escaped, on a line of its own below the
// progress line, which it takes off the screen first.
void TellError(const std::string& text);

// Counts a file; once the work has lasted a second, redraws the line at
// most ten times a second: "patching 1234 of 20000: rec/a.wav".
void StepProgress(Progress& progress, const std::string& path);

// The line for done of total files with the path last, cut at its front
// to fit within width columns; "reading 7: a.wav" where done is past total.
std::string ProgressLine(const char* verb, std::uint64_t done, std::uint64_t total, const std::string& path,
                         std::size_t width);

}  // namespace kalimber
