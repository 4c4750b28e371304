// The tool's one way to print: a formatted print that reaches its sink at once.
// The sink is standard output; tests point it at a file to read the output back.
#pragma once

#include <cstdio>

namespace kalimber {

// Where every print goes; nullptr means standard output.
extern std::FILE* g_Output;

// The sink in use: g_Output, or standard output.
std::FILE* OutputStream();

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void Print(const char* format, ...);

// The frame of the banner and of the section banners.
inline constexpr const char* RuleLine = "*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*\n";

}  // namespace kalimber
