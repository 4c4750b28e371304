// Pieces of the session picture's SVG that its files share, all in whole
// numbers, so that every host writes the same bytes.
#include "cli/svg_pieces.h"

#include <chrono>

#include "cli/picture_text.h"

namespace kalimber {

namespace {

constexpr int kTextRight = kPictureWidth - 10;

}  // namespace

// Whole-number division rounding down, for values below zero too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int Pixel(std::int64_t tenths) {
    return static_cast<int>(FloorDiv(tenths, 10));
}

std::string Digits(std::int64_t value, int width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') + text;
}

// Tenths of a pixel as an attribute value: 1234 -> "123.4", 1230 -> "123".
std::string Px(std::int64_t tenths) {
    const std::int64_t whole = FloorDiv(tenths, 10);
    const std::int64_t tenth = tenths - whole * 10;
    std::string text = std::to_string(whole);
    if (tenth != 0) {
        text += '.';  // appended: g++ 12 at -O3 takes "." + a temporary for an overlapping copy
        text += std::to_string(tenth);
    }
    return text;
}

// Milliseconds on the header's clock as a date and a time of day.
std::string DateText(std::int64_t ms) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{FloorDiv(ms, kDayMs)}}};
    return Digits(int{date.year()}, 4) + "-" + Digits(unsigned{date.month()}, 2) + "-" +
           Digits(unsigned{date.day()}, 2);
}

std::string ClockText(std::int64_t ms, bool millisec) {
    const std::int64_t inDay = ms - FloorDiv(ms, kDayMs) * kDayMs;
    std::string text = Digits(inDay / 3600000, 2) + ":" + Digits(inDay / 60000 % 60, 2) + ":" +
                       Digits(inDay / 1000 % 60, 2);
    return millisec ? text + "." + Digits(inDay % 1000, 3) : text;
}

std::string MomentText(std::int64_t ms) {
    return DateText(ms) + " " + ClockText(ms, true);
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Rect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    return "x=\"" + Px(x0) + "\" y=\"" + Px(y0) + "\" width=\"" + Px(x1 - x0) + "\" height=\"" + Px(y1 - y0) + "\"";
}

std::string Text(int x, int y, const std::string& text, const std::string& attributes) {
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"" + attributes + ">" +
           XmlText(text) + "</text>\n";
}

// A line of the heading or the lists, from the frame's left edge, cut to
// end before the page does.
std::string Line(int x, int y, const std::string& text, int fontSize, bool bold) {
    std::string attributes = fontSize != 12 ? " font-size=\"" + std::to_string(fontSize) + "\"" : "";
    attributes += bold ? " font-weight=\"bold\"" : "";
    return Text(x, y, FitText(text, kTextRight - x, fontSize, bold), attributes);
}

}  // namespace kalimber
