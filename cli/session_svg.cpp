// Draws a session as one SVG 1.1 document: time across, frequency up, a bar per
// recording, breaks in red; whole-number arithmetic, so every host draws the same bytes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

#include "cli/session_picture.h"
#include "cli/writers.h"

namespace kalimber {
namespace {

// The page, in pixels; the chart's frame and the rows below it.
constexpr int kWidth = 1200;
constexpr int kLeft = 110;
constexpr int kRight = 1170;
constexpr int kTop = 84;
constexpr int kBottom = 504;
constexpr int kPlotWidth = kRight - kLeft;
constexpr int kPlotHeight = kBottom - kTop;
constexpr int kRow = 18;        // a line of the legend or of the list
constexpr int kMaxFrequencyTicks = 8;
constexpr int kMaxTimeTicks = 10;
constexpr std::size_t kLegendChains = 10;  // chains named in the legend; the colours repeat after them
constexpr std::size_t kHeadingPaths = 4;   // paths named in the heading
constexpr const char* kRed = "#d40000";    // breaks only: no chain colour is near it
constexpr const char* kPalette[] = {"#1f77b4", "#2ca02c", "#ff7f0e", "#9467bd", "#17becf",
                                    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#393b79"};
constexpr std::size_t kColours = std::size(kPalette);
static_assert(kColours == kLegendChains);

constexpr std::int64_t kDayMs = 86400000;

// Whole-number division rounding down, for values below zero too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::string Digits(std::int64_t value, int width) {
    std::string text = std::to_string(value);
    return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') + text;
}

// Tenths of a pixel as an attribute value: 1234 -> "123.4", 1230 -> "123".
std::string Px(std::int64_t tenths) {
    const std::int64_t whole = FloorDiv(tenths, 10);
    const std::int64_t tenth = tenths - whole * 10;
    return std::to_string(whole) + (tenth != 0 ? "." + std::to_string(tenth) : "");
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

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The extent of everything drawn, and the mapping from it to the frame.
struct Extent {
    std::int64_t StartMs = std::numeric_limits<std::int64_t>::max();
    std::int64_t StopMs = std::numeric_limits<std::int64_t>::min();
    std::int64_t LowHalfHz = std::numeric_limits<std::int64_t>::max();
    std::int64_t HighHalfHz = std::numeric_limits<std::int64_t>::min();
    bool Empty() const { return StartMs > StopMs; }
    void Add(const PictureSpan& span) {
        StartMs = std::min(StartMs, span.StartMs);
        StopMs = std::max(StopMs, span.StopMs);
        LowHalfHz = std::min(LowHalfHz, span.LowHalfHz);
        HighHalfHz = std::max(HighHalfHz, span.HighHalfHz);
    }
    std::int64_t X(std::int64_t ms) const { return kLeft * 10 + Scale(ms, StartMs, StopMs, kPlotWidth * 10); }
    std::int64_t Y(std::int64_t halfHz) const {
        return kBottom * 10 - Scale(halfHz, LowHalfHz, HighHalfHz, kPlotHeight * 10);
    }
};

Extent ExtentOf(const SessionPicture& picture) {
    Extent extent;
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureBar& bar : chain.Bars) {
            extent.Add(bar.Span);
        }
        for (const PictureMark& mark : chain.Marks) {
            extent.Add(mark.Span);
        }
    }
    if (extent.Empty()) {
        return extent;
    }
    if (extent.StopMs == extent.StartMs) {
        extent.StopMs = extent.StartMs + 1000;  // one instant: a second of room
    }
    // Room above and below the bands, never below 0 Hz for bands above it.
    const std::int64_t pad = std::max<std::int64_t>((extent.HighHalfHz - extent.LowHalfHz) / 16, 2000);
    extent.LowHalfHz = extent.LowHalfHz >= 0 ? std::max<std::int64_t>(0, extent.LowHalfHz - pad)
                                             : extent.LowHalfHz - pad;
    extent.HighHalfHz += pad;
    return extent;
}

// A rectangle in tenths of a pixel, kept inside the frame and at least 1 px
// each way (wider where asked), so a short or narrow one stays visible.
struct Box {
    std::int64_t X0, Y0, X1, Y1;
};

void Widen(std::int64_t& low, std::int64_t& high, std::int64_t least, std::int64_t min, std::int64_t max) {
    if (high - low < least) {
        low = (low + high) / 2 - least / 2;
        high = low + least;
    }
    if (low < min) {
        high += min - low;
        low = min;
    }
    if (high > max) {
        low = std::max(min, low - (high - max));
        high = max;
    }
}

Box BoxOf(const Extent& extent, const PictureSpan& span, std::int64_t leastWidth, std::int64_t leastHeight) {
    Box box{extent.X(span.StartMs), extent.Y(span.HighHalfHz), extent.X(span.StopMs), extent.Y(span.LowHalfHz)};
    Widen(box.X0, box.X1, leastWidth, kLeft * 10, kRight * 10);
    Widen(box.Y0, box.Y1, leastHeight, kTop * 10, kBottom * 10);
    return box;
}

std::string Rect(const Box& box) {
    return "x=\"" + Px(box.X0) + "\" y=\"" + Px(box.Y0) + "\" width=\"" + Px(box.X1 - box.X0) + "\" height=\"" +
           Px(box.Y1 - box.Y0) + "\"";
}

std::string Text(int x, int y, const std::string& text, const char* attributes = "") {
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"" + attributes + ">" +
           XmlText(text) + "</text>\n";
}

// A frequency tick: 7050000 Hz in MHz with step 50000 -> "7.05".
std::string HertzText(std::int64_t hertz, std::int64_t unit, std::int64_t step) {
    int decimals = 0;
    std::int64_t place = unit;
    while (place > 1 && step % place != 0) {
        place /= 10;
        ++decimals;
    }
    const std::int64_t magnitude = hertz < 0 ? -hertz : hertz;
    std::string text = hertz < 0 ? "-" : "";
    text += std::to_string(magnitude / unit);
    if (decimals > 0) {
        text += "." + Digits(magnitude % unit / place, decimals);
    }
    return text;
}

void DrawFrequencyAxis(std::string& out, const Extent& extent) {
    const std::int64_t lowHz = FloorDiv(extent.LowHalfHz + 1, 2);
    const std::int64_t highHz = FloorDiv(extent.HighHalfHz, 2);
    const std::int64_t top = std::max(highHz, lowHz < 0 ? -lowHz : lowHz);
    const std::int64_t unit = top >= 1000000 ? 1000000 : top >= 1000 ? 1000 : 1;
    const std::int64_t step = FrequencyStep(std::max<std::int64_t>(highHz - lowHz, 1), kMaxFrequencyTicks);
    for (std::int64_t hz = FloorDiv(lowHz + step - 1, step) * step; hz <= highHz; hz += step) {
        const std::int64_t y = extent.Y(2 * hz);
        out += "<path d=\"M" + std::to_string(kLeft) + " " + Px(y) + "H" + std::to_string(kRight) +
               "\" stroke=\"#e2e2e2\"/>\n";
        out += Text(kLeft - 6, static_cast<int>(FloorDiv(y, 10)) + 4, HertzText(hz, unit, step),
                    " text-anchor=\"end\"");
    }
    const char* unitName = unit == 1000000 ? "MHz" : unit == 1000 ? "kHz" : "Hz";
    const int middle = (kTop + kBottom) / 2;
    out += "<text x=\"22\" y=\"" + std::to_string(middle) + "\" text-anchor=\"middle\" transform=\"rotate(-90 22 " +
           std::to_string(middle) + ")\">frequency (" + unitName + ")</text>\n";
}

void DrawTimeAxis(std::string& out, const Extent& extent) {
    const std::int64_t step = TimeStep(extent.StopMs - extent.StartMs, kMaxTimeTicks);
    const bool days = step >= kDayMs;
    const bool crossesMidnight = FloorDiv(extent.StartMs, kDayMs) != FloorDiv(extent.StopMs, kDayMs);
    for (std::int64_t ms = FloorDiv(extent.StartMs + step - 1, step) * step; ms <= extent.StopMs; ms += step) {
        const std::int64_t x = extent.X(ms);
        const int xPx = static_cast<int>(FloorDiv(x, 10));
        out += "<path d=\"M" + Px(x) + " " + std::to_string(kTop) + "V" + std::to_string(kBottom) +
               "\" stroke=\"#e2e2e2\"/>\n";
        if (!days) {
            out += Text(xPx, kBottom + 16, ClockText(ms, step < 1000), " text-anchor=\"middle\"");
        }
        if (days || crossesMidnight) {
            out += Text(xPx, kBottom + (days ? 16 : 30), DateText(ms), " text-anchor=\"middle\"");
        }
        if (extent.StopMs - ms < step) {
            break;  // the next one would pass the end, or the largest time
        }
    }
    out += Text((kLeft + kRight) / 2, kBottom + 50,
                "time as stored in the headers (the receiver's local clock), from " + DateText(extent.StartMs) + " " +
                    ClockText(extent.StartMs, true) + " to " + DateText(extent.StopMs) + " " +
                    ClockText(extent.StopMs, true),
                " text-anchor=\"middle\"");
}

void DrawChains(std::string& out, const SessionPicture& picture, const Extent& extent) {
    for (std::size_t c = 0; c < picture.Chains.size(); ++c) {
        const PictureChain& chain = picture.Chains[c];
        const char* colour = kPalette[c % kColours];
        out += "<g fill=\"" + std::string(colour) + "\">\n";
        for (const PictureBar& bar : chain.Bars) {
            out += "<rect " + Rect(BoxOf(extent, bar.Span, 10, 10)) + "><title>" + XmlText(bar.Title) +
                   "</title></rect>\n";
        }
        out += "</g>\n";
        // The link: through the middle of each file, from one file's stop to the next one's start.
        if (chain.Bars.size() > 1) {
            std::string path;
            for (const PictureBar& bar : chain.Bars) {
                const std::int64_t y = std::clamp(extent.Y((bar.Span.LowHalfHz + bar.Span.HighHalfHz) / 2), std::int64_t{kTop * 10},
                                                  std::int64_t{kBottom * 10});
                path += path.empty() ? "M" : "L";
                path += Px(extent.X(bar.Span.StartMs)) + " " + Px(y) + "L" + Px(extent.X(bar.Span.StopMs)) + " " + Px(y);
            }
            out += "<path d=\"" + path + "\" fill=\"none\" stroke=\"#202020\" stroke-opacity=\"0.55\"/>\n";
        }
    }
}

// Breaks above the bars: a red bar over the span of the link (at least 3 px
// wide, 4 px past the bands), its text above it.
void DrawMarks(std::string& out, const SessionPicture& picture, const Extent& extent) {
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureMark& mark : chain.Marks) {
            Box box = BoxOf(extent, mark.Span, 30, 10);
            box.Y0 = std::max<std::int64_t>(box.Y0 - 40, kTop * 10);
            box.Y1 = std::min<std::int64_t>(box.Y1 + 40, kBottom * 10);
            const int x = static_cast<int>(FloorDiv(box.X0 + box.X1, 20));
            const int y = static_cast<int>(std::max<std::int64_t>(FloorDiv(box.Y0, 10) - 4, kTop + 10));
            const char* anchor = x < kLeft + 120 ? "start" : x > kRight - 120 ? "end" : "middle";
            out += "<g fill=\"" + std::string(kRed) + "\"><title>" + XmlText(mark.Title) + "</title><rect " +
                   Rect(box) + "/>" +
                   Text(x, y, mark.Text, (std::string(" font-size=\"11\" text-anchor=\"") + anchor + "\"").c_str()) +
                   "</g>\n";
        }
    }
}

// The legend and the list of what is not drawn, from y down; returns the y after them.
int DrawLegend(std::string& out, const SessionPicture& picture, int y) {
    out += Text(kLeft, y, "Legend", " font-weight=\"bold\"");
    y += kRow;
    const std::size_t named = std::min(picture.Chains.size(), kLegendChains);
    for (std::size_t c = 0; c < named; ++c) {
        const PictureChain& chain = picture.Chains[c];
        out += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"" + std::to_string(y - 10) +
               "\" width=\"16\" height=\"10\" fill=\"" + kPalette[c] + "\"/>\n";
        out += Text(kLeft + 24, y, "chain " + std::to_string(c + 1) + " from " + chain.First + ": " +
                                       Plural(chain.Files, "file", "files"));
        y += kRow;
    }
    if (picture.Chains.size() > named) {
        out += Text(kLeft + 24, y, "and " + Plural(picture.Chains.size() - named, "more chain", "more chains") +
                                       ", in the same colours in turn");
        y += kRow;
    }
    out += "<path d=\"M" + std::to_string(kLeft) + " " + std::to_string(y - 5) + "h16\" stroke=\"#202020\" "
           "stroke-opacity=\"0.55\"/>\n";
    out += Text(kLeft + 24, y, "the link from each file of a chain to the next, through its centre frequency");
    y += kRow;
    if (picture.Breaks > 0) {  // red only where something breaks
        out += "<rect x=\"" + std::to_string(kLeft + 6) + "\" y=\"" + std::to_string(y - 12) +
               "\" width=\"4\" height=\"14\" fill=\"" + kRed + "\"/>\n";
        out += Text(kLeft + 24, y,
                    "a break, with its text: a gap or an overlap past the largest gap allowed, a field that changes, "
                    "or a chain that ends at a missing file, a loop or a fork");
        y += kRow;
    }
    out += Text(kLeft, y, "Hover over a recording or a break for its files, times and frequencies.");
    y += kRow;
    if (!picture.Failures.empty()) {
        y += kRow / 2;
        out += Text(kLeft, y, "Not drawn: " + Plural(picture.Failures.size(), "file", "files"),
                    " font-weight=\"bold\"");
        y += kRow;
        for (const PictureFailure& failure : picture.Failures) {
            out += Text(kLeft, y, failure.Path + ": " + failure.Reason);
            y += kRow;
        }
    }
    return y;
}

std::string Heading(const SessionPicture& picture) {
    std::string paths;
    for (std::size_t i = 0; i < picture.Paths.size() && i < kHeadingPaths; ++i) {
        paths += (i == 0 ? "" : ", ") + picture.Paths[i];
    }
    if (picture.Paths.size() > kHeadingPaths) {
        paths += " and " + std::to_string(picture.Paths.size() - kHeadingPaths) + " more";
    }
    return paths;
}

}  // namespace

std::int64_t FrequencyStep(std::int64_t span, int maxTicks) {
    std::int64_t power = 1;
    for (;;) {
        for (const std::int64_t factor : {1, 2, 5}) {
            if (span / (factor * power) < maxTicks) {
                return factor * power;
            }
        }
        power *= 10;
    }
}

std::int64_t TimeStep(std::int64_t spanMs, int maxTicks) {
    constexpr std::int64_t kSteps[] = {1,       2,        5,         10,        20,        50,        100,
                                       200,     500,      1000,      2000,      5000,      10000,     15000,
                                       30000,   60000,    120000,    300000,    600000,    900000,    1800000,
                                       3600000, 7200000,  10800000,  21600000,  43200000,  kDayMs,    2 * kDayMs,
                                       7 * kDayMs, 14 * kDayMs, 30 * kDayMs};
    for (const std::int64_t step : kSteps) {
        if (spanMs / step < maxTicks) {
            return step;
        }
    }
    // Past 30 days a tick: whole days, as many as it takes.
    return (spanMs / (maxTicks - 1) / kDayMs + 1) * kDayMs;
}

std::int64_t Scale(std::int64_t value, std::int64_t low, std::int64_t high, std::int64_t size) {
    if (high <= low || value <= low) {
        return 0;
    }
    // Differences as unsigned numbers, which cannot overflow; both halved
    // alike until their product with size fits.
    std::uint64_t span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    std::uint64_t offset = std::min(static_cast<std::uint64_t>(value) - static_cast<std::uint64_t>(low), span);
    while (span > (std::uint64_t{1} << 40)) {
        span >>= 1;
        offset >>= 1;
    }
    return static_cast<std::int64_t>(offset * static_cast<std::uint64_t>(size) / span);
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

std::string SessionSvg(const SessionPicture& picture) {
    const Extent extent = ExtentOf(picture);
    std::string body;
    body.reserve(256 * picture.Files + 16384);
    body += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    body += Text(kLeft, 28, "Session: " + Heading(picture), " font-size=\"18\" font-weight=\"bold\"");
    body += Text(kLeft, 52,
                 Plural(picture.Files, "file", "files") + ", " + Plural(picture.Chains.size(), "chain", "chains") +
                     ", total duration " + DurationText(picture.DurationMs) + " (" +
                     std::to_string(picture.DurationMs) + " ms), " + Plural(picture.Breaks, "break", "breaks"));
    if (extent.Empty()) {
        body += Text((kLeft + kRight) / 2, (kTop + kBottom) / 2, "no recording to draw", " text-anchor=\"middle\"");
    } else {
        DrawFrequencyAxis(body, extent);
        DrawTimeAxis(body, extent);
        DrawChains(body, picture, extent);
        DrawMarks(body, picture, extent);
    }
    body += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"" + std::to_string(kTop) + "\" width=\"" +
            std::to_string(kPlotWidth) + "\" height=\"" + std::to_string(kPlotHeight) +
            "\" fill=\"none\" stroke=\"#808080\"/>\n";
    const int height = DrawLegend(body, picture, kBottom + 84) + kRow;
    const std::string size = "width=\"" + std::to_string(kWidth) + "\" height=\"" + std::to_string(height) +
                             "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " + std::to_string(height) + "\"";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" " +
           size + " font-family=\"sans-serif\" font-size=\"12\">\n<title>" +
           XmlText("kalimber session: " + Heading(picture)) + "</title>\n" + body + "</svg>\n";
}

}  // namespace kalimber
