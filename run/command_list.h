// The command list: the lines after the path, each WCF or WBW written into the
// recording's AUXI chunk at once, then the header reported again if it changed.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kalimber {

// Set by every command that writes the AUXI chunk during the command list.
extern bool g_HeaderModified;

// The command argument as strtoul with base 0 reads it, computed in 32 bits
// whatever the width of unsigned long: out of range gives 4294967295, and a
// minus sign negates a value that fits modulo 2^32.
std::uint32_t ParseArgument(const char* text);

// Carries out one command line (a NUL-terminated piece of at most 1023 characters).
void HandleCommandLine(const char* line, std::FILE* recording);

// Reads and carries out the command lines until the end of the file or a line
// beginning with "/", then prints the new header if anything was written.
void RunCommandList(std::FILE* commands, std::FILE* recording);

}  // namespace kalimber
