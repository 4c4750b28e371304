// The texts inside the session picture's frame: band labels, break texts and
// file names, each set only where no other text lies, or numbered for a list.
#include "cli/picture_labels.h"

#include <algorithm>
#include <vector>

#include "cli/picture_text.h"
#include "cli/svg_pieces.h"
#include "cli/writers.h"

namespace kalimber {

bool TextPlaces::Free(const TextBox& box) const {
    for (int row = RowOf(box.Y0); row <= RowOf(box.Y1) && row < static_cast<int>(rows_.size()); ++row) {
        for (const TextBox& other : rows_[static_cast<std::size_t>(row)]) {
            if (other.Overlaps(box)) {
                return false;
            }
        }
    }
    return true;
}

void TextPlaces::Take(const TextBox& box) {
    const int last = RowOf(box.Y1);
    if (last >= static_cast<int>(rows_.size())) {
        rows_.resize(static_cast<std::size_t>(last) + 1);
    }
    for (int row = RowOf(box.Y0); row <= last; ++row) {
        rows_[static_cast<std::size_t>(row)].push_back(box);
    }
}

namespace {

// The box of a line of text that starts at x on the baseline y.
TextBox BoxAt(int x, int y, int width, int fontSize) {
    return {x, y - fontSize, x + width, y + fontSize / 4 + 1};
}

// The first place for text of the given width from the baselines tried,
// its left edge near x but inside the frame; false where all are taken.
bool Place(TextPlaces& places, const PictureLayout& layout, int x, const std::vector<int>& baselines, int width,
           int fontSize, TextBox& box) {
    if (width > kFrameRight - kFrameLeft - 4) {
        return false;
    }
    x = std::clamp(x, kFrameLeft + 2, kFrameRight - 2 - width);
    for (const int y : baselines) {
        box = BoxAt(x, y, width, fontSize);
        if (box.Y0 > kFrameTop && box.Y1 < layout.Bottom && places.Free(box)) {
            places.Take(box);
            return true;
        }
    }
    return false;
}

// Baselines from just above a span upward, a row at a time, then from just
// below it downward; a few rows each way, as further off a text no longer
// tells which mark it belongs to.
constexpr int kRowsTried = 8;

std::vector<int> RowsAround(int top, int bottom, int lowest, int fontSize) {
    std::vector<int> rows;
    const int step = fontSize + 3;
    for (int y = top - 4, n = 0; y - fontSize > kFrameTop && n < kRowsTried; y -= step, ++n) {
        rows.push_back(y);
    }
    for (int y = bottom + fontSize, n = 0; y + fontSize / 4 + 1 < lowest && n < kRowsTried; y += step, ++n) {
        rows.push_back(y);
    }
    return rows;
}

}  // namespace

// Each band's frequency just above its first bar, or just below it.
void LabelBands(std::string& out, const PictureLayout& layout, TextPlaces& places) {
    for (const PictureBand& band : layout.Bands) {
        const std::string label = FrequencyLabel(band.CenterHalfHz / 2);
        const int width = TextWidth(label, 12, true);
        const auto [y0, y1] = layout.BarY(band.First);
        TextBox box;
        if (Place(places, layout, Pixel(layout.X(band.First.StartMs)), {Pixel(y0) - 4, Pixel(y1) + 13}, width, 12,
                  box)) {
            out += Text(box.X0, box.Y0 + 12, label, " font-weight=\"bold\" fill=\"#202020\"");
        }
    }
}

// A red bar over each break (at least 3 px wide, 4 px past the bands), and its
// text where it finds room near it; the rest numbered, for the list below.
std::vector<std::string> DrawMarks(std::string& out, const SessionPicture& picture, const PictureLayout& layout,
                                   TextPlaces& places) {
    std::vector<std::string> listed;
    std::string labels;
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureMark& mark : chain.Marks) {
            std::int64_t x0 = layout.X(mark.Span.StartMs), x1 = layout.X(mark.Span.StopMs);
            Widen(x0, x1, 30, kFrameLeft * 10, kFrameRight * 10);
            const auto [y0, y1] = layout.MarkY(mark.Span);
            out += "<g fill=\"" + std::string(kBreakRed) + "\"><title>" + XmlText(mark.Title) + "</title><rect " +
                   Rect(x0, y0, x1, y1) + "/></g>\n";
            const std::vector<int> rows = RowsAround(Pixel(y0), Pixel(y1), layout.Bottom, kSmallFont);
            const int middle = Pixel((x0 + x1) / 2);
            const std::string text = WellFormedUtf8(mark.Text);
            int width = TextWidth(text, kSmallFont);
            TextBox box;
            if (Place(places, layout, middle - width / 2, rows, width, kSmallFont, box)) {
                labels += Text(box.X0, box.Y0 + kSmallFont, text, " font-size=\"11\" fill=\"#d40000\"");
                continue;
            }
            // Appended piece by piece: g++ 12 at -O3 takes "[" + a temporary for an overlapping copy.
            std::string number = "[";
            number += std::to_string(listed.size() + 1);
            number += "]";
            listed.push_back(number + " " + MomentText(mark.Span.StartMs) + ": " + mark.Text);
            width = TextWidth(number, kSmallFont);
            if (Place(places, layout, middle - width / 2, rows, width, kSmallFont, box)) {
                labels += Text(box.X0, box.Y0 + kSmallFont, number, " font-size=\"11\" fill=\"#d40000\"");
            }
        }
    }
    out += labels;
    return listed;
}

// A file's name inside its bar, where the bar is wide and high enough and
// no other text lies there.
void NameBars(std::string& out, const SessionPicture& picture, const PictureLayout& layout, TextPlaces& places) {
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureBar& bar : chain.Bars) {
            const int x0 = Pixel(layout.X(bar.Span.StartMs)), x1 = Pixel(layout.X(bar.Span.StopMs));
            const auto [y0, y1] = layout.BarY(bar.Span);
            if (x1 - x0 < 16 || y1 - y0 < 140) {
                continue;
            }
            const int width = TextWidth(bar.Name, kSmallFont);
            const TextBox box = BoxAt(x0 + 4, Pixel(y0 + (y1 - y0) / 2) + 4, width, kSmallFont);
            if (box.X1 + 4 <= x1 && places.Free(box)) {
                places.Take(box);
                out += Text(box.X0, box.Y0 + kSmallFont, bar.Name, " font-size=\"11\" fill=\"#ffffff\"");
            }
        }
    }
}


}  // namespace kalimber
