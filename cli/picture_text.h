// Text on the session picture: how wide a line of it is drawn, a line cut to a
// width, a band's frequency as its label, and the escaping of text for XML.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalimber {

// A text's box on the page, in pixels: left, top, right, bottom.
struct TextBox {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool Overlaps(const TextBox& other) const {
        return X0 < other.X1 && other.X0 < X1 && Y0 < other.Y1 && other.Y0 < Y1;
    }
};

// The width of a line of text in a sans-serif font of fontSize pixels, at
// least what any common sans-serif draws it (wide letters, CJK and symbols a
// whole em; bold a tenth more), in whole pixels.
int TextWidth(std::string_view utf8, int fontSize, bool bold = false);

// The text as well-formed UTF-8, cut at a character and ended with "…" where
// it would be wider than width pixels.
std::string FitText(std::string_view bytes, int width, int fontSize, bool bold = false);

// A centre frequency as a band's label: 7100000 -> "7.100 MHz",
// 7123456 -> "7.123456 MHz", 500000 -> "500.000 kHz", 999 -> "999 Hz".
std::string FrequencyLabel(std::int64_t hertz);

// Text as XML character data or an attribute value: & < > " escaped, bytes
// that are no UTF-8 and characters XML forbids (C0 controls but tab and
// line feed, U+FFFE, U+FFFF) as U+FFFD.
std::string XmlText(std::string_view bytes);

}  // namespace kalimber
