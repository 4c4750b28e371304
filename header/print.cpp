// Formatted printing to the output sink, flushed after every call so that each
// print reaches the console, pipe or file at once and nothing waits in a buffer.
#include "header/print.h"

#include <cerrno>
#include <cstdarg>

#include "platform/platform.h"

namespace kalimber {

std::FILE* g_Output = nullptr;

std::FILE* OutputStream() {
    return g_Output != nullptr ? g_Output : stdout;
}

namespace {

int g_OutputError = 0;

// Keeps the first failure of a print to the output sink.
void NoteOutcome(std::FILE* sink, bool failed) {
    if (failed && g_OutputError == 0 && sink == OutputStream()) {
        g_OutputError = WriteErrorNumber(errno != 0 ? errno : EIO);
    }
}

void PrintTo(std::FILE* sink, const char* format, va_list args) {
    errno = 0;
    const bool failed = std::vfprintf(sink, format, args) < 0;
    NoteOutcome(sink, std::fflush(sink) != 0 || failed);
}

}  // namespace

int OutputError() {
    return g_OutputError;
}

void ResetOutputError() {
    g_OutputError = 0;
}

void WriteOutputBytes(const char* bytes, std::size_t length) {
    std::FILE* sink = OutputStream();
    errno = 0;
    const bool failed = std::fwrite(bytes, 1, length, sink) != length;
    NoteOutcome(sink, std::fflush(sink) != 0 || failed);
}

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
