// The header report: every field of the recording header as labelled lines,
// loaded afresh from the file, ending with the additional information.
#pragma once

#include <cstdio>

namespace kalimber {

// The head of a recording's report: "Selected file: ", the path, a rule.
// A console window is given the path's characters, so it shows them whatever
// its code page; a pipe or a file gets the path's bytes.
void PrintSelectedFile(const char* path);

void PrintHeaderReport(std::FILE* recording);

}  // namespace kalimber
