// Pieces of the session picture's SVG that its files share: whole-number
// pixels as attribute values, texts and lines, dates and times, the colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/picture_layout.h"

namespace kalimber {

constexpr std::int64_t kDayMs = 86400000;  // a day on the header's clock
constexpr int kSmallFont = 11;  // the font of names and breaks
constexpr const char* kBreakRed = "#d40000";  // breaks only: no chain colour is near it

// Whole-number division rounding down, for values below zero too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

// A number with zeros in front to width digits: 7, 2 -> "07".
std::string Digits(std::int64_t value, int width);

// Tenths of a pixel as a whole pixel, rounded down; and as an attribute
// value: 1234 -> "123.4", 1230 -> "123".
int Pixel(std::int64_t tenths);
std::string Px(std::int64_t tenths);

// Milliseconds on the header's clock: "2026-11-28", "23:52:00" (with
// ".000" where asked), and both with the milliseconds.
std::string DateText(std::int64_t ms);
std::string ClockText(std::int64_t ms, bool millisec);
std::string MomentText(std::int64_t ms);

// "1 file", "2 files".
std::string Plural(std::size_t count, const char* one, const char* many);

// A rectangle's attributes, from tenths of a pixel.
std::string Rect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);

// A text element at x and y, XML-escaped, with further attributes.
std::string Text(int x, int y, const std::string& text, const std::string& attributes = "");

// A line of the heading or the lists from x, cut to end before the page does.
std::string Line(int x, int y, const std::string& text, int fontSize = 12, bool bold = false);

}  // namespace kalimber
