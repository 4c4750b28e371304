// A whole run of the tool, from the banner to the closing of both files.
// The main routine calls Run and then idles; tests call Run in-process.
#pragma once

#include <cstdio>

namespace kalimber {

inline constexpr const char* CommandFileName = "ToDoWave.txt";

// The two files of a run, opened and owned by Run.
extern std::FILE* g_CommandFile;
extern std::FILE* g_RecordingFile;

// Steps of a run up to the idle state; everything printed has been written
// out when it returns. On a failure to open a file, what was opened stays open.
void Run();

// Puts every process-wide record back to the state of a fresh process:
// the header image, line buffer and flags zero, no file open.
void ResetProcessState();

}  // namespace kalimber
