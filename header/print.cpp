// Formatted printing to the output sink, flushed after every call so that each
// print reaches the console, pipe or file at once and nothing waits in a buffer.
#include "header/print.h"

#include <cstdarg>

namespace kalimber {

std::FILE* g_Output = nullptr;

std::FILE* OutputStream() {
    return g_Output != nullptr ? g_Output : stdout;
}

namespace {

void PrintTo(std::FILE* sink, const char* format, va_list args) {
    std::vfprintf(sink, format, args);
    std::fflush(sink);
}

}  // namespace

void Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintTo(OutputStream(), format, args);
    va_end(args);
}

std::FILE* g_ErrorOutput = nullptr;

std::FILE* ErrorStream() {
    return g_ErrorOutput != nullptr ? g_ErrorOutput : stderr;
}

void PrintError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintTo(ErrorStream(), format, args);
    va_end(args);
}

}  // namespace kalimber
