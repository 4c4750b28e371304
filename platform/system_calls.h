// The calls each system's half of the platform defines for the table of system
// calls (platform_windows.cpp or platform_posix.cpp); platform.cpp gathers them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kalimber::os {

bool Sync(std::FILE* file);
bool IsConsole(std::FILE* stream);
void WriteConsoleLine(std::FILE* stream, const std::u16string& characters);
std::u16string DecodeAnsi(std::string_view bytes);
bool OwnsConsoleAlone();
void WaitForEnter();

}  // namespace kalimber::os
