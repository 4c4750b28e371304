// The tool's ways to print: a formatted print that reaches its sink at once,
// standard output or (for the command line's errors) standard error.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kalimber {

// Holds back the flush of the prints to the output sink until ReleaseOutput,
// so that a record of many lines goes out in one write; a print to another
// sink first sends what is held, so that the order stays as printed.
void HoldOutput();
void ReleaseOutput();

// Where every print goes; nullptr means standard output.
extern std::FILE* g_Output;

// The sink in use: g_Output, or standard output.
std::FILE* OutputStream();

// The errno of the first print to the output sink that failed (a full disk,
// a closed pipe), 0 while none has; the command line's exit status tells it.
int OutputError();

// Forgets a failure, as at the start of a process.
void ResetOutputError();

// Writes bytes to the output sink as they are and flushes them; a failure
// is kept for OutputError.
void WriteOutputBytes(const char* bytes, std::size_t length);

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void Print(const char* format, ...);

// Where the command line's error messages go; nullptr means standard error.
extern std::FILE* g_ErrorOutput;

std::FILE* ErrorStream();

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void PrintError(const char* format, ...);

// The frame of the banner and of the section banners.
inline constexpr const char* RuleLine = "*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*\n";

}  // namespace kalimber
