// The header report: every field of the recording header as labelled lines,
// loaded afresh from the file, ending with the additional information.
#pragma once

#include <cstdio>

namespace kalimber {

void PrintHeaderReport(std::FILE* recording);

}  // namespace kalimber
