// Line reading with text-mode line ends: CR LF reads as LF. On Windows the C
// runtime translates already, so the tool must not drop a second CR there.
#include "run/line_reader.h"

namespace kalimber {

char g_LineBuffer[LineBufferSize] = {};

namespace {

#if defined(_WIN32)
constexpr bool kDropCrBeforeLf = false;  // the text-mode stream has done it
#else
constexpr bool kDropCrBeforeLf = true;
#endif

// One character as a text-mode stream delivers it.
int GetTextChar(std::FILE* file) {
    const int c = std::getc(file);
    if (!kDropCrBeforeLf || c != '\r') {
        return c;
    }
    const int next = std::getc(file);
    if (next == '\n') {
        return '\n';
    }
    if (next != EOF) {
        std::ungetc(next, file);
    }
    return c;
}

}  // namespace

bool ReadLine(std::FILE* file) {
    std::size_t length = 0;
    while (length < LineBufferSize - 1) {
        const int c = GetTextChar(file);
        if (c == EOF) {
            break;
        }
        g_LineBuffer[length++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    g_LineBuffer[length] = '\0';
    return length > 0;
}

}  // namespace kalimber
