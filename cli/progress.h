// Progress on a terminal: one line on standard error that updates itself
// while many files are read or patched; never on a file or a pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kalimber {

// The run's standard error, set once from the options where the writer is
// picked: every message and the progress line go through it.
struct Console {
    bool Quiet = false;          // -q: no progress line, no summary
    bool ShowsProgress = false;  // not quiet, and standard error is a terminal
    bool SharesScreen = false;   // standard output is a terminal too
    std::size_t Width = 79;      // the progress line's columns: one short of the terminal's, so it never wraps
    std::size_t Shown = 0;       // the columns the progress line takes now; 0: none
};

// The console of a run with -q or without, as the standard streams are now.
Console OpenConsole(bool quiet);

struct Progress {
    const char* Verb = "reading";
    std::uint64_t Total = 0;
    std::uint64_t Done = 0;
    std::chrono::steady_clock::time_point Start{};
    std::chrono::steady_clock::time_point Drawn{};
};

// Progress over total files, shown only where the console shows it.
Progress StartProgress(const char* verb, std::uint64_t total);

// Takes the line off the screen: before a summary, and at the end.
void HideProgress(Console& console);

// The same before a record, where standard output shares the screen.
void ClearForOutput(Console& console);

// Every message on standard error goes through here: "kalimber: " and the
// text, its control bytes shown escaped, on a line of its own below the
// progress line, which it takes off the screen first.
void TellError(Console& console, const std::string& text);

// A line for people on standard error as it is (a summary, a change to come).
void TellLine(Console& console, const std::string& line);

// Counts a file; once the work has lasted a second, redraws the line at
// most ten times a second: "patching 1234 of 20000: rec/a.wav".
void StepProgress(Console& console, Progress& progress, const std::string& path);

// The line for done of total files with the path last, cut at its front
// to fit within width columns; "reading 7: a.wav" where done is past total.
std::string ProgressLine(const char* verb, std::uint64_t done, std::uint64_t total, const std::string& path,
                         std::size_t width);

}  // namespace kalimber
