// Formatted printing to the output sink, flushed after every call so that each
// print reaches the console, pipe or file at once and nothing waits in a buffer.
#include "header/print.h"

#include <cstdarg>

namespace kalimber {

std::FILE* g_Output = nullptr;

std::FILE* OutputStream() {
    return g_Output != nullptr ? g_Output : stdout;
}

void Print(const char* format, ...) {
    std::FILE* sink = OutputStream();
    va_list args;
    va_start(args, format);
    std::vfprintf(sink, format, args);
    va_end(args);
    std::fflush(sink);
}

}  // namespace kalimber
