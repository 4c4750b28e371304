// Text on the session picture: widths from a table of letter classes, lines cut
// to fit, band labels, and the escaping that keeps any name a valid document.
#include "cli/picture_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cli/writers.h"

namespace kalimber {
namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";

// One character of well-formed UTF-8 from i on: its code point and length.
char32_t NextCharacter(std::string_view text, std::size_t i, std::size_t& length) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > text.size()) {
        length = text.size() - i;
        return U'\uFFFD';
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    return code;
}

// A character's width in hundredths of an em, rounded up from what wide
// sans-serif faces draw: thin punctuation, most letters, capitals, the
// widest letters, and a whole em for what lies past the Latin letters.
int Hundredths(char32_t c) {
    if (c >= 0x370) {
        return 100;
    }
    if (c >= 0x80) {
        return 85;
    }
    if (std::strchr(" .,:;'!|()[]{}ijlIftr`\"/\\-", static_cast<int>(c)) != nullptr && c != 0) {
        return 45;
    }
    if (std::strchr("mwMW@%", static_cast<int>(c)) != nullptr && c != 0) {
        return 100;
    }
    if ((c >= 'A' && c <= 'Z') || std::strchr("~#&+=<>^*$", static_cast<int>(c)) != nullptr) {
        return 85;
    }
    return 66;
}

int Pixels(std::int64_t hundredths, int fontSize, bool bold) {
    const std::int64_t scaled = hundredths * fontSize * (bold ? 11 : 10);
    return static_cast<int>((scaled + 999) / 1000);
}

}  // namespace

int TextWidth(std::string_view utf8, int fontSize, bool bold) {
    std::int64_t sum = 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf8.size(); i += length) {
        sum += Hundredths(NextCharacter(utf8, i, length));
    }
    return Pixels(sum, fontSize, bold);
}

std::string FitText(std::string_view bytes, int width, int fontSize, bool bold) {
    const std::string text = WellFormedUtf8(bytes);
    if (TextWidth(text, fontSize, bold) <= width) {
        return text;
    }
    std::int64_t sum = Hundredths(U'\u2026');
    std::size_t length = 0;
    std::size_t cut = 0;
    for (std::size_t i = 0; i < text.size(); i += length) {
        sum += Hundredths(NextCharacter(text, i, length));
        if (Pixels(sum, fontSize, bold) > width) {
            break;
        }
        cut = i + length;
    }
    return text.substr(0, cut) + kEllipsis;
}

std::string FrequencyLabel(std::int64_t hertz) {
    const std::uint64_t magnitude = hertz < 0 ? 0 - static_cast<std::uint64_t>(hertz) : static_cast<std::uint64_t>(hertz);
    const std::string sign = hertz < 0 ? "-" : "";
    if (magnitude < 1000) {
        return sign + std::to_string(magnitude) + " Hz";
    }
    const bool mega = magnitude >= 1000000;
    const std::uint64_t unit = mega ? 1000000 : 1000;
    std::string fraction = std::to_string(magnitude % unit + unit).substr(1);  // the leading 1 keeps the zeros
    while (fraction.size() > 3 && fraction.back() == '0') {
        fraction.pop_back();
    }
    return sign + std::to_string(magnitude / unit) + "." + fraction + (mega ? " MHz" : " kHz");
}

std::string XmlText(std::string_view bytes) {
    const std::string text = WellFormedUtf8(bytes);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += "&gt;"; continue;
            case '"': out += "&quot;"; continue;
            case '\t':
            case '\n': out += static_cast<char>(c); continue;
            default: break;
        }
        if (c < 0x20) {
            out += "\xEF\xBF\xBD";  // no XML document may hold it, escaped or not
        } else if (c == 0xEF && i + 2 < text.size() && text[i + 1] == '\xBF' &&
                   (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            out += "\xEF\xBF\xBD";  // U+FFFE and U+FFFF
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace kalimber
