// Draws a session as one SVG 1.1 document: time across, frequency up, a bar per
// recording, breaks in red, every text placed where no other lies; whole numbers only.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "cli/picture_labels.h"
#include "cli/picture_layout.h"
#include "cli/picture_text.h"
#include "cli/svg_pieces.h"
#include "cli/session_picture.h"
#include "cli/writers.h"

namespace kalimber {
namespace {

constexpr int kRow = 18;  // a line of the legend or of the lists
constexpr int kMaxFrequencyTicks = 8;
constexpr int kMaxTimeTicks = 10;
constexpr std::size_t kLegendChains = 10;  // chains named in the legend; the colours repeat after them
constexpr std::size_t kHeadingPaths = 4;   // paths named in the heading
constexpr const char* kPalette[] = {"#1f77b4", "#2ca02c", "#ff7f0e", "#9467bd", "#17becf",
                                    "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#393b79"};
constexpr std::size_t kColours = std::size(kPalette);
static_assert(kColours == kLegendChains);


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

void AxisTitle(std::string& out, const PictureLayout& layout, const std::string& title) {
    const int middle = (kFrameTop + layout.Bottom) / 2;
    out += "<text x=\"22\" y=\"" + std::to_string(middle) + "\" text-anchor=\"middle\" transform=\"rotate(-90 22 " +
           std::to_string(middle) + ")\">" + title + "</text>\n";
}

// Ticks on the linear scale; on lanes, a line between each two of them.
void DrawFrequencyAxis(std::string& out, const PictureLayout& layout) {
    if (layout.Lanes) {
        for (std::size_t i = 1; i < layout.Bands.size(); ++i) {
            const std::int64_t y = (layout.Bands[i - 1].Y1 + layout.Bands[i].Y0) / 2;
            out += "<path d=\"M" + std::to_string(kFrameLeft) + " " + Px(y) + "H" + std::to_string(kFrameRight) +
                   "\" stroke=\"#c8c8c8\" stroke-dasharray=\"4 4\"/>\n";
        }
        AxisTitle(out, layout, "frequency: a lane a band");
        return;
    }
    const std::int64_t lowHz = FloorDiv(layout.LowHalfHz + 1, 2);
    const std::int64_t highHz = FloorDiv(layout.HighHalfHz, 2);
    const std::int64_t top = std::max(highHz, lowHz < 0 ? -lowHz : lowHz);
    const std::int64_t unit = top >= 1000000 ? 1000000 : top >= 1000 ? 1000 : 1;
    const std::int64_t step = FrequencyStep(std::max<std::int64_t>(highHz - lowHz, 1), kMaxFrequencyTicks);
    for (std::int64_t hz = FloorDiv(lowHz + step - 1, step) * step; hz <= highHz; hz += step) {
        const std::int64_t y = layout.Y(2 * hz);
        out += "<path d=\"M" + std::to_string(kFrameLeft) + " " + Px(y) + "H" + std::to_string(kFrameRight) +
               "\" stroke=\"#e2e2e2\"/>\n";
        out += Text(kFrameLeft - 6, Pixel(y) + 4, HertzText(hz, unit, step), " text-anchor=\"end\"");
    }
    AxisTitle(out, layout, std::string("frequency (") + (unit == 1000000 ? "MHz" : unit == 1000 ? "kHz" : "Hz") + ")");
}

// A tick's text under it, or ending or starting at it where it would run
// off the page.
std::string Tick(int x, int y, const std::string& text) {
    const int half = TextWidth(text, 12) / 2;
    const char* anchor = x + half > kPictureWidth - 2 ? "end" : x - half < 2 ? "start" : "middle";
    return Text(x, y, text, std::string(" text-anchor=\"") + anchor + "\"");
}

void DrawTimeAxis(std::string& out, const PictureLayout& layout) {
    const int bottom = layout.Bottom;
    const std::int64_t step = TimeStep(layout.StopMs - layout.StartMs, kMaxTimeTicks);
    const bool days = step >= kDayMs;
    const bool crossesMidnight = FloorDiv(layout.StartMs, kDayMs) != FloorDiv(layout.StopMs, kDayMs);
    for (std::int64_t ms = FloorDiv(layout.StartMs + step - 1, step) * step; ms <= layout.StopMs; ms += step) {
        const std::int64_t x = layout.X(ms);
        out += "<path d=\"M" + Px(x) + " " + std::to_string(kFrameTop) + "V" + std::to_string(bottom) +
               "\" stroke=\"#e2e2e2\"/>\n";
        if (!days) {
            out += Tick(Pixel(x), bottom + 16, ClockText(ms, step < 1000));
        }
        if (days || crossesMidnight) {
            out += Tick(Pixel(x), bottom + (days ? 16 : 30), DateText(ms));
        }
        if (layout.StopMs - ms < step) {
            break;  // the next one would pass the end, or the largest time
        }
    }
    out += Text((kFrameLeft + kFrameRight) / 2, bottom + 50,
                FitText("time as stored in the headers (the receiver's local clock), from " +
                            MomentText(layout.StartMs) + " to " + MomentText(layout.StopMs),
                        kFrameRight - kFrameLeft, 12),
                " text-anchor=\"middle\"");
}

void DrawChains(std::string& out, const SessionPicture& picture, const PictureLayout& layout) {
    for (std::size_t c = 0; c < picture.Chains.size(); ++c) {
        const PictureChain& chain = picture.Chains[c];
        out += "<g fill=\"" + std::string(kPalette[c % kColours]) + "\">\n";
        for (const PictureBar& bar : chain.Bars) {
            std::int64_t x0 = layout.X(bar.Span.StartMs), x1 = layout.X(bar.Span.StopMs);
            Widen(x0, x1, 10, kFrameLeft * 10, kFrameRight * 10);
            const auto [y0, y1] = layout.BarY(bar.Span);
            out += "<rect " + Rect(x0, y0, x1, y1) + "><title>" + XmlText(bar.Title) + "</title></rect>\n";
        }
        out += "</g>\n";
        // The link: through the middle of each file, from one file's stop to the next one's start.
        if (chain.Bars.size() > 1) {
            std::string path;
            for (const PictureBar& bar : chain.Bars) {
                const std::string y = Px(layout.CenterY(bar.Span.LowHalfHz + (bar.Span.HighHalfHz - bar.Span.LowHalfHz) / 2));
                path += path.empty() ? "M" : "L";
                path += Px(layout.X(bar.Span.StartMs)) + " " + y + "L" + Px(layout.X(bar.Span.StopMs)) + " " + y;
            }
            out += "<path d=\"" + path + "\" fill=\"none\" stroke=\"#202020\" stroke-opacity=\"0.55\"/>\n";
        }
    }
}

// The legend and the lists of numbered breaks and of what is not drawn,
// from y down; returns the y after them.
int DrawLegend(std::string& out, const SessionPicture& picture, const std::vector<std::string>& listed, int y) {
    out += Line(kFrameLeft, y, "Legend", 12, true);
    y += kRow;
    const std::size_t named = std::min(picture.Chains.size(), kLegendChains);
    for (std::size_t c = 0; c < named; ++c) {
        const PictureChain& chain = picture.Chains[c];
        out += "<rect x=\"" + std::to_string(kFrameLeft) + "\" y=\"" + std::to_string(y - 10) +
               "\" width=\"16\" height=\"10\" fill=\"" + kPalette[c] + "\"/>\n";
        out += Line(kFrameLeft + 24, y,
                    "chain " + std::to_string(c + 1) + " from " + chain.First + ": " + Plural(chain.Files, "file", "files"));
        y += kRow;
    }
    if (picture.Chains.size() > named) {
        out += Line(kFrameLeft + 24, y, "and " + Plural(picture.Chains.size() - named, "more chain", "more chains") +
                                             ", in the same colours in turn");
        y += kRow;
    }
    out += "<path d=\"M" + std::to_string(kFrameLeft) + " " + std::to_string(y - 5) + "h16\" stroke=\"#202020\" "
           "stroke-opacity=\"0.55\"/>\n";
    out += Line(kFrameLeft + 24, y, "the link from each file of a chain to the next, through its centre frequency");
    y += kRow;
    if (picture.Breaks > 0) {  // red only where something breaks
        out += "<rect x=\"" + std::to_string(kFrameLeft + 6) + "\" y=\"" + std::to_string(y - 12) +
               "\" width=\"4\" height=\"14\" fill=\"" + kBreakRed + "\"/>\n";
        out += Line(kFrameLeft + 24, y,
                    "a break: a gap or an overlap past the largest gap allowed, a field that changes, "
                    "or a chain's end at a missing file, a loop or a fork");
        y += kRow;
    }
    out += Line(kFrameLeft, y, "Hover over a recording or a break for its files, times and frequencies.");
    y += kRow;
    if (!listed.empty()) {
        y += kRow / 2;
        out += Line(kFrameLeft, y, "Breaks by number, where the picture has no room for their text", 12, true);
        y += kRow;
        for (const std::string& line : listed) {
            out += Line(kFrameLeft, y, line);
            y += kRow;
        }
    }
    if (!picture.Failures.empty()) {
        y += kRow / 2;
        out += Line(kFrameLeft, y, "Not drawn: " + Plural(picture.Failures.size(), "file", "files"), 12, true);
        y += kRow;
        for (const PictureFailure& failure : picture.Failures) {
            out += Line(kFrameLeft, y, failure.Path + ": " + failure.Reason);
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

// From the first recording's start to the last one's stop, as drawn.
std::string SpanText(const SessionPicture& picture) {
    std::int64_t first = 0, last = 0;
    bool any = false;
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureBar& bar : chain.Bars) {
            first = any ? std::min(first, bar.Span.StartMs) : bar.Span.StartMs;
            last = any ? std::max(last, bar.Span.StopMs) : bar.Span.StopMs;
            any = true;
        }
    }
    if (!any) {
        return "";
    }
    // Wide enough for any two times of the calendar a header holds.
    const std::uint64_t span = static_cast<std::uint64_t>(last) - static_cast<std::uint64_t>(first);
    return "session span " + DurationText(span) + " (" + MomentText(first) + " to " + MomentText(last) + "); ";
}

}  // namespace

std::string SessionSvg(const SessionPicture& picture) {
    const PictureLayout layout = LayOut(picture);
    std::string body;
    body.reserve(256 * picture.Files + 16384);
    body += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    body += Line(kFrameLeft, 28, "Session: " + Heading(picture), 18, true);
    body += Line(kFrameLeft, 50,
                 Plural(picture.Files, "file", "files") + ", " + Plural(picture.Chains.size(), "chain", "chains") +
                     ", " + Plural(picture.Breaks, "break", "breaks"));
    body += Line(kFrameLeft, 68,
                 SpanText(picture) + "recorded total " + DurationText(picture.DurationMs) + " (" +
                     std::to_string(picture.DurationMs) + " ms), all files added up");
    std::vector<std::string> listed;
    if (layout.Empty()) {
        body += Text((kFrameLeft + kFrameRight) / 2, kFrameTop + kFrameHeight / 2, "no recording to draw",
                     " text-anchor=\"middle\"");
    } else {
        DrawFrequencyAxis(body, layout);
        DrawTimeAxis(body, layout);
        DrawChains(body, picture, layout);
        TextPlaces places;
        LabelBands(body, layout, places);
        listed = DrawMarks(body, picture, layout, places);
        NameBars(body, picture, layout, places);
    }
    body += "<rect x=\"" + std::to_string(kFrameLeft) + "\" y=\"" + std::to_string(kFrameTop) + "\" width=\"" +
            std::to_string(kFrameRight - kFrameLeft) + "\" height=\"" + std::to_string(layout.Bottom - kFrameTop) +
            "\" fill=\"none\" stroke=\"#808080\"/>\n";
    const int height = DrawLegend(body, picture, listed, layout.Bottom + 84) + kRow;
    const std::string size = "width=\"" + std::to_string(kPictureWidth) + "\" height=\"" + std::to_string(height) +
                             "\" viewBox=\"0 0 " + std::to_string(kPictureWidth) + " " + std::to_string(height) + "\"";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" " +
           size + " font-family=\"sans-serif\" font-size=\"12\">\n<title>" +
           XmlText("kalimber session: " + Heading(picture)) + "</title>\n" + body + "</svg>\n";
}

}  // namespace kalimber
