// Reading the command file line by line into the one 1024-byte line buffer,
// as a Windows text-mode stream reads it, on every platform.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kalimber {

inline constexpr std::size_t LineBufferSize = 1024;

// The current line of the command file: at most 1023 characters and a NUL.
extern char g_LineBuffer[LineBufferSize];

// Reads the next piece of a line into g_LineBuffer: up to and including the
// first line feed, at most 1023 characters. A carriage return directly before
// a line feed is dropped where the C runtime does not already do that.
// Returns false when nothing could be read (end of file or a read error).
bool ReadLine(std::FILE* file);

}  // namespace kalimber
