// UTF-8 and UTF-16: the command file's UTF-16 becomes UTF-8 bytes, and a
// path's UTF-8 bytes become the UTF-16 that Windows names and consoles take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kalimber {

// What ill-formed UTF-16 (a lone surrogate, an odd last byte) decodes to.
inline constexpr char32_t ReplacementCharacter = 0xFFFD;

// The UTF-8 bytes of a code point up to U+10FFFF; returns how many (1 to 4).
std::size_t EncodeUtf8(char32_t codePoint, std::uint8_t (&bytes)[4]);

// True when no byte is above 0x7F.
bool IsAscii(std::string_view bytes);

// Decodes well-formed UTF-8 (no overlong forms, surrogates or code points
// beyond U+10FFFF) into UTF-16. Returns false where the bytes are not UTF-8.
bool Utf8ToUtf16(std::string_view bytes, std::u16string& text);

// The bytes with each control shown as \xHH (upper-case hex): 0x00 to 0x1F,
// 0x7F, and both bytes of a UTF-8 C1 control (C2 80 to C2 9F). Every other
// byte stays, so a name or a header field can neither start a line of its
// own nor reach a terminal as a control sequence.
std::string EscapeControls(std::string_view bytes);

}  // namespace kalimber
