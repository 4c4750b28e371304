// The command file's text, in three layers: raw bytes (after any byte-order
// mark), characters decoded to UTF-8 bytes, and text-mode line ends.
#include "run/line_reader.h"

#include <cstdint>

#include "platform/platform.h"
#include "platform/unicode.h"

namespace kalimber {

char g_LineBuffer[LineBufferSize] = {};

namespace {

enum class Encoding { NotYetKnown, Bytes, Utf16Le, Utf16Be };

constexpr int kNone = -2;  // an empty slot; EOF is -1
constexpr int kCtrlZ = 0x1A;

// What the reader knows about the command file between two reads.
struct TextReader {
    Encoding encoding = Encoding::NotYetKnown;
    // Bytes read while looking for a byte-order mark that were not part of one.
    std::uint8_t sniffed[3] = {};
    std::size_t sniffedSize = 0;
    std::size_t sniffedNext = 0;
    // The UTF-8 bytes of the last decoded character not yet delivered.
    std::uint8_t decoded[4] = {};
    std::size_t decodedSize = 0;
    std::size_t decodedNext = 0;
    int unitAfterSurrogate = kNone;  // a UTF-16 unit read after an unpaired high surrogate
    int byteAfterCr = kNone;         // a byte read after a CR that was not a line feed
    bool ended = false;              // a Ctrl-Z ended the text
};

TextReader g_Reader;

int NextRawByte(std::FILE* file) {
    if (g_Reader.sniffedNext < g_Reader.sniffedSize) {
        return g_Reader.sniffed[g_Reader.sniffedNext++];
    }
    return std::getc(file);
}

void FindByteOrderMark(std::FILE* file) {
    TextReader& r = g_Reader;
    while (r.sniffedSize < 3) {
        const int c = std::getc(file);
        if (c == EOF) {
            break;
        }
        r.sniffed[r.sniffedSize++] = static_cast<std::uint8_t>(c);
    }
    const auto starts = [](std::uint8_t a, std::uint8_t b) {
        return g_Reader.sniffedSize >= 2 && g_Reader.sniffed[0] == a && g_Reader.sniffed[1] == b;
    };
    r.encoding = Encoding::Bytes;
    if (starts(0xFF, 0xFE)) {
        r.encoding = Encoding::Utf16Le;
        r.sniffedNext = 2;
    } else if (starts(0xFE, 0xFF)) {
        r.encoding = Encoding::Utf16Be;
        r.sniffedNext = 2;
    } else if (starts(0xEF, 0xBB) && r.sniffedSize == 3 && r.sniffed[2] == 0xBF) {
        r.sniffedNext = 3;
    }
}

// The next UTF-16 code unit; EOF at the end, ReplacementCharacter for an odd last byte.
int NextUnit(std::FILE* file) {
    if (g_Reader.unitAfterSurrogate != kNone) {
        const int unit = g_Reader.unitAfterSurrogate;
        g_Reader.unitAfterSurrogate = kNone;
        return unit;
    }
    const int first = NextRawByte(file);
    if (first == EOF) {
        return EOF;
    }
    const int second = NextRawByte(file);
    if (second == EOF) {
        return static_cast<int>(ReplacementCharacter);
    }
    return g_Reader.encoding == Encoding::Utf16Le ? first | second << 8 : first << 8 | second;
}

// The next character of a UTF-16 file, ill-formed units as U+FFFD; EOF at the end.
long NextUtf16Character(std::FILE* file) {
    const int unit = NextUnit(file);
    if (unit == EOF) {
        return EOF;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        return ReplacementCharacter;  // a low surrogate with no high one before it
    }
    if (unit < 0xD800 || unit > 0xDBFF) {
        return unit;
    }
    const int next = NextUnit(file);
    if (next >= 0xDC00 && next <= 0xDFFF) {
        return 0x10000 + ((static_cast<long>(unit) - 0xD800) << 10) + (next - 0xDC00);
    }
    g_Reader.unitAfterSurrogate = next == EOF ? kNone : next;  // read on from it
    return ReplacementCharacter;
}

// The next byte of the text as UTF-8.
int NextDecodedByte(std::FILE* file) {
    TextReader& r = g_Reader;
    if (r.decodedNext < r.decodedSize) {
        return r.decoded[r.decodedNext++];
    }
    if (r.encoding == Encoding::Bytes) {
        return NextRawByte(file);
    }
    const long c = NextUtf16Character(file);
    if (c == EOF) {
        return EOF;
    }
    r.decodedSize = EncodeUtf8(static_cast<char32_t>(c), r.decoded);
    r.decodedNext = 1;
    return r.decoded[0];
}

// One character as a text-mode stream delivers it.
int NextTextChar(std::FILE* file) {
    TextReader& r = g_Reader;
    if (r.encoding == Encoding::NotYetKnown) {
        FindByteOrderMark(file);
    }
    if (r.ended) {
        return EOF;
    }
    int c = r.byteAfterCr;
    r.byteAfterCr = kNone;
    if (c == kNone) {
        c = NextDecodedByte(file);
    }
    if (c == kCtrlZ && CtrlZEndsText && r.encoding == Encoding::Bytes) {
        r.ended = true;
        return EOF;
    }
    if (c != '\r') {
        return c;
    }
    const int next = NextDecodedByte(file);
    if (next == '\n') {
        return '\n';
    }
    r.byteAfterCr = next == EOF ? kNone : next;
    return c;
}

}  // namespace

bool ReadLine(std::FILE* file) {
    std::size_t length = 0;
    while (length < LineBufferSize - 1) {
        const int c = NextTextChar(file);
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

void ResetLineReader() {
    g_Reader = TextReader{};
}

}  // namespace kalimber
