// Where the session picture puts things: time across the frame, and frequency up
// it on one linear scale where every band shows apart, else in a lane a band.
#pragma once

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "cli/session_picture.h"

namespace kalimber {

// The page, in pixels: the frame's left, right and top, and its bottom
// where the frequencies fit in it.
constexpr int kPictureWidth = 1200;
constexpr int kFrameLeft = 110;
constexpr int kFrameRight = 1170;
constexpr int kFrameTop = 84;
constexpr int kFrameHeight = 420;

// The least height of a band drawn on the linear scale, of a band that stays
// on it, and of a lane; the room between two bands on it.
constexpr int kBarLeast = 16;
constexpr int kTrueBandLeast = 6;
constexpr int kLaneLeast = 44;
constexpr int kBandRoom = 16;

// A band: the recordings of one centre frequency, and where their bars go
// up the frame (in tenths of a pixel).
struct PictureBand {
    std::int64_t CenterHalfHz = 0;
    std::int64_t HalfWidthHalfHz = 0;  // the widest bar's half
    std::int64_t Y0 = 0, Y1 = 0;
    PictureSpan First;  // its bar that starts first, where its label goes
};

struct PictureLayout {
    std::int64_t StartMs = std::numeric_limits<std::int64_t>::max();
    std::int64_t StopMs = std::numeric_limits<std::int64_t>::min();
    std::int64_t LowHalfHz = 0, HighHalfHz = 0;  // the linear scale, padded
    int Bottom = kFrameTop + kFrameHeight;
    bool Lanes = false;
    std::vector<PictureBand> Bands;  // the highest frequency first

    bool Empty() const { return StartMs > StopMs; }
    // Across and up, in tenths of a pixel; Y on the linear scale.
    std::int64_t X(std::int64_t ms) const;
    std::int64_t Y(std::int64_t halfHz) const;
    // From top to bottom: a bar, the link through a band's centre, and a
    // break over every band its span holds.
    std::pair<std::int64_t, std::int64_t> BarY(const PictureSpan& span) const;
    std::int64_t CenterY(std::int64_t centerHalfHz) const;
    std::pair<std::int64_t, std::int64_t> MarkY(const PictureSpan& span) const;
    const PictureBand* BandOf(std::int64_t centerHalfHz) const;
};

PictureLayout LayOut(const SessionPicture& picture);

// low and high moved apart to at least least, about their middle, and kept
// within min and max.
void Widen(std::int64_t& low, std::int64_t& high, std::int64_t least, std::int64_t min, std::int64_t max);

}  // namespace kalimber
