// Reading the command file line by line into the one 1024-byte line buffer,
// as text: CR LF reads as LF, and UTF-16 files are read as UTF-8.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kalimber {

inline constexpr std::size_t LineBufferSize = 1024;

// The current line of the command file: at most 1023 characters and a NUL.
extern char g_LineBuffer[LineBufferSize];

// Reads the next piece of a line into g_LineBuffer: up to and including the
// first line feed, at most 1023 bytes. The file is opened in binary mode;
// the text is worked out here, the same way on every system:
// - the first read looks for a byte-order mark: EF BB BF (UTF-8) is skipped,
//   FF FE or FE FF makes the file UTF-16 (little- or big-endian), decoded to
//   UTF-8, with U+FFFD for a lone surrogate or an odd last byte;
// - a carriage return directly before a line feed is dropped;
// - on Windows a Ctrl-Z byte ends a file without a UTF-16 mark, as the C
//   runtime's text mode does.
// Returns false when nothing could be read (end of file or a read error).
bool ReadLine(std::FILE* file);

// Forgets the file being read, so the next ReadLine starts a new one.
void ResetLineReader();

}  // namespace kalimber
