// UTF-8 encoding and strict decoding, by the table of well-formed byte
// sequences: each lead byte allows a narrower range for its second byte.
#include "platform/unicode.h"

namespace kalimber {

std::size_t EncodeUtf8(char32_t codePoint, std::uint8_t (&bytes)[4]) {
    const auto c = static_cast<std::uint32_t>(codePoint);
    if (c < 0x80) {
        bytes[0] = static_cast<std::uint8_t>(c);
        return 1;
    }
    if (c < 0x800) {
        bytes[0] = static_cast<std::uint8_t>(0xC0 | c >> 6);
        bytes[1] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        bytes[0] = static_cast<std::uint8_t>(0xE0 | c >> 12);
        bytes[1] = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        bytes[2] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        return 3;
    }
    bytes[0] = static_cast<std::uint8_t>(0xF0 | (c >> 18 & 0x07));
    bytes[1] = static_cast<std::uint8_t>(0x80 | (c >> 12 & 0x3F));
    bytes[2] = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
    bytes[3] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    return 4;
}

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) > 0x7F) {
            return false;
        }
    }
    return true;
}

bool Utf8ToUtf16(std::string_view bytes, std::u16string& text) {
    text.clear();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        unsigned low = 0x80;  // the range allowed for the second byte
        unsigned high = 0xBF;
        char32_t c = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
            high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;   // no overlong forms
            high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
        } else if (lead > 0x7F) {
            return false;  // a continuation byte, C0, C1 or F5 to FF
        }
        if (bytes.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
                return false;
            }
            c = c << 6 | (next & 0x3F);
        }
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return true;
}

std::string EscapeControls(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(bytes.size());
    auto escape = [&shown](unsigned char b) {
        shown += "\\x";
        shown += kHex[b >> 4];
        shown += kHex[b & 0xF];
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool c1 = b == 0xC2 && i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(bytes[i + 1]) <= 0x9F;
        if (c1) {
            escape(b);
            escape(static_cast<unsigned char>(bytes[++i]));
        } else if (b < 0x20 || b == 0x7F) {
            escape(b);
        } else {
            shown += bytes[i];
        }
    }
    return shown;
}

}  // namespace kalimber
