// The text report: the very lines a ToDoWave.txt run prints for a recording,
// from its selected-file head to the end of the additional information.
#include <cstdio>
#include <string>

#include "cli/writers.h"
#include "header/header_report.h"
#include "header/print.h"
#include "run/run.h"

namespace kalimber {

void WriteTextReport(const std::string& path, std::FILE* recording, bool first) {
    if (!first) {
        Print("\n");
    }
    PrintSelectedFile(path.c_str());
    PrintHeaderReport(recording);
}

void WriteOutput(std::string_view text) {
    std::FILE* out = OutputStream();
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
}

}  // namespace kalimber
