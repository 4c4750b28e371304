// Lays out the session picture: the time and frequency a frame spans, the bands,
// and whether each stays on one linear scale or gets a lane of its own.
#include "cli/picture_layout.h"

#include <algorithm>

namespace kalimber {
namespace {

std::int64_t CenterOf(const PictureSpan& span) {
    return span.LowHalfHz + (span.HighHalfHz - span.LowHalfHz) / 2;
}

// The bands of the drawn bars, highest first, each with its first bar.
std::vector<PictureBand> BandsOf(const SessionPicture& picture) {
    std::vector<PictureBand> bands;
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureBar& bar : chain.Bars) {
            bands.push_back({CenterOf(bar.Span), (bar.Span.HighHalfHz - bar.Span.LowHalfHz) / 2, 0, 0, bar.Span});
        }
    }
    std::sort(bands.begin(), bands.end(), [](const PictureBand& a, const PictureBand& b) {
        return a.CenterHalfHz != b.CenterHalfHz ? a.CenterHalfHz > b.CenterHalfHz : a.First.StartMs < b.First.StartMs;
    });
    std::vector<PictureBand> merged;
    for (const PictureBand& band : bands) {
        if (merged.empty() || merged.back().CenterHalfHz != band.CenterHalfHz) {
            merged.push_back(band);
        } else {
            merged.back().HalfWidthHalfHz = std::max(merged.back().HalfWidthHalfHz, band.HalfWidthHalfHz);
        }
    }
    return merged;
}

// Every band on the linear scale, at least kBarLeast high; false where one
// is truly under kTrueBandLeast, or two come closer than a label's room.
bool OnOneScale(PictureLayout& layout) {
    for (PictureBand& band : layout.Bands) {
        band.Y0 = layout.Y(band.CenterHalfHz + band.HalfWidthHalfHz);
        band.Y1 = layout.Y(band.CenterHalfHz - band.HalfWidthHalfHz);
        if (band.Y1 - band.Y0 < kTrueBandLeast * 10) {
            return false;
        }
        Widen(band.Y0, band.Y1, kBarLeast * 10, kFrameTop * 10, layout.Bottom * 10);
    }
    for (std::size_t i = 1; i < layout.Bands.size(); ++i) {
        if (layout.Bands[i].Y0 - layout.Bands[i - 1].Y1 < kBandRoom * 10) {
            return false;
        }
    }
    return true;
}

// A lane a band, the highest on top, the frame made taller where they need
// it; each bar in the lower part of its lane, its label's room above.
void InLanes(PictureLayout& layout) {
    layout.Lanes = true;
    const std::int64_t count = static_cast<std::int64_t>(layout.Bands.size());
    const std::int64_t height = std::max<std::int64_t>(kFrameHeight, count * kLaneLeast);
    layout.Bottom = kFrameTop + static_cast<int>(height);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t top = kFrameTop * 10 + i * height * 10 / count;
        const std::int64_t lane = (i + 1) * height * 10 / count - i * height * 10 / count;
        const std::int64_t bar = std::min<std::int64_t>(lane - 260, 280);
        PictureBand& band = layout.Bands[static_cast<std::size_t>(i)];
        band.Y0 = top + std::max<std::int64_t>(180, (lane - bar) / 2);
        band.Y1 = band.Y0 + bar;
    }
}

}  // namespace

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

std::int64_t PictureLayout::X(std::int64_t ms) const {
    return kFrameLeft * 10 + Scale(ms, StartMs, StopMs, (kFrameRight - kFrameLeft) * 10);
}

std::int64_t PictureLayout::Y(std::int64_t halfHz) const {
    return Bottom * 10 - Scale(halfHz, LowHalfHz, HighHalfHz, (Bottom - kFrameTop) * 10);
}

const PictureBand* PictureLayout::BandOf(std::int64_t centerHalfHz) const {
    const auto it = std::lower_bound(Bands.begin(), Bands.end(), centerHalfHz,
                                     [](const PictureBand& band, std::int64_t c) { return band.CenterHalfHz > c; });
    return it != Bands.end() && it->CenterHalfHz == centerHalfHz ? &*it : nullptr;
}

std::pair<std::int64_t, std::int64_t> PictureLayout::BarY(const PictureSpan& span) const {
    const PictureBand* band = BandOf(CenterOf(span));
    if (band == nullptr) {
        return {kFrameTop * 10, kFrameTop * 10 + kBarLeast * 10};
    }
    if (Lanes) {
        return {band->Y0, band->Y1};
    }
    std::int64_t y0 = Y(span.HighHalfHz), y1 = Y(span.LowHalfHz);
    Widen(y0, y1, kBarLeast * 10, band->Y0, band->Y1);
    return {y0, y1};
}

std::int64_t PictureLayout::CenterY(std::int64_t centerHalfHz) const {
    const PictureBand* band = BandOf(centerHalfHz);
    return band != nullptr ? band->Y0 + (band->Y1 - band->Y0) / 2 : Y(centerHalfHz);
}

std::pair<std::int64_t, std::int64_t> PictureLayout::MarkY(const PictureSpan& span) const {
    std::int64_t y0 = std::numeric_limits<std::int64_t>::max(), y1 = std::numeric_limits<std::int64_t>::min();
    for (const PictureBand& band : Bands) {
        if (band.CenterHalfHz >= span.LowHalfHz && band.CenterHalfHz <= span.HighHalfHz) {
            y0 = std::min(y0, band.Y0);
            y1 = std::max(y1, band.Y1);
        }
    }
    if (y0 > y1) {
        y0 = Y(span.HighHalfHz);
        y1 = Y(span.LowHalfHz);
    }
    return {std::max<std::int64_t>(y0 - 40, kFrameTop * 10), std::min<std::int64_t>(y1 + 40, Bottom * 10)};
}

PictureLayout LayOut(const SessionPicture& picture) {
    PictureLayout layout;
    std::int64_t low = std::numeric_limits<std::int64_t>::max(), high = std::numeric_limits<std::int64_t>::min();
    const auto add = [&](const PictureSpan& span) {
        layout.StartMs = std::min(layout.StartMs, span.StartMs);
        layout.StopMs = std::max(layout.StopMs, span.StopMs);
        low = std::min(low, span.LowHalfHz);
        high = std::max(high, span.HighHalfHz);
    };
    for (const PictureChain& chain : picture.Chains) {
        for (const PictureBar& bar : chain.Bars) {
            add(bar.Span);
        }
        for (const PictureMark& mark : chain.Marks) {
            add(mark.Span);
        }
    }
    if (layout.Empty()) {
        return layout;
    }
    if (layout.StopMs == layout.StartMs) {
        layout.StopMs = layout.StartMs + 1000;  // one instant: a second of room
    }
    // Room above and below the bands, never below 0 Hz for bands above it.
    const std::int64_t pad = std::max<std::int64_t>((high - low) / 16, 2000);
    layout.LowHalfHz = low >= 0 ? std::max<std::int64_t>(0, low - pad) : low - pad;
    layout.HighHalfHz = high + pad;
    layout.Bands = BandsOf(picture);
    if (!OnOneScale(layout)) {
        InLanes(layout);
    }
    return layout;
}

}  // namespace kalimber
