// The header report: every field of a header image as labelled lines, and
// the additional information that ends it, the check's verdict and duration.
#pragma once

#include <cstdint>

#include "header/check.h"

namespace kalimber {

struct TimeStamp;
struct RecordingHeader;

// The report's time-stamp lines: year/month/day, two blanks, then
// hour:minute:second:millisecond, the day of week left out.
inline constexpr const char* StartTimeLine = "   StartTime: %u/%u/%u  %u:%u:%u:%u\n";
inline constexpr const char* StopTimeLine = "   StopTime:  %u/%u/%u  %u:%u:%u:%u\n";

// How the report shows a path and the header's text fields: the bytes as
// stored (a ToDoWave.txt run), or with controls escaped (the command line).
enum class ShownText { AsStored, Escaped };

// Prints a time stamp with one of the lines above.
void PrintTime(const char* format, const TimeStamp& t);

// The head of a recording's report: "Selected file: ", the path, a rule.
// A console window is given the path's characters, so it shows them whatever
// its code page; a pipe or a file gets the path's bytes.
void PrintSelectedFile(const char* path, ShownText shown = ShownText::AsStored);

// The report's last section, for a check that is known, with the duration to show.
void PrintAdditionalLines(RecordingCheck check, std::uint32_t wavFileDurationMillisec);

// The RIFF, FMT, AUXI, ORVA and DATA sections of a header image.
void PrintHeaderSections(const RecordingHeader& header, ShownText shown);

}  // namespace kalimber
