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
bool g_Held = false;

// Keeps the first failure of a print to the output sink.
void NoteOutcome(std::FILE* sink, bool failed) {
    if (failed && g_OutputError == 0 && sink == OutputStream()) {
        g_OutputError = WriteErrorNumber(errno != 0 ? errno : EIO);
    }
}

// Sends what the output sink holds, keeping the first failure.
void FlushOutput() {
    std::FILE* sink = OutputStream();
    errno = 0;
    NoteOutcome(sink, std::fflush(sink) != 0);
}

void PrintTo(std::FILE* sink, const char* format, va_list args) {
    const bool toOutput = sink == OutputStream();
    if (g_Held && !toOutput) {
        FlushOutput();  // what the output holds comes first, as it was printed first
    }
    errno = 0;
    const bool failed = std::vfprintf(sink, format, args) < 0;
    if (g_Held && toOutput) {
        NoteOutcome(sink, failed);
        return;
    }
    NoteOutcome(sink, std::fflush(sink) != 0 || failed);
}

}  // namespace

void HoldOutput() {
    g_Held = true;
}

void ReleaseOutput() {
    if (g_Held) {
        g_Held = false;
        FlushOutput();
    }
}

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
