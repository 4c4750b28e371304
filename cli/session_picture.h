// A picture of a session: what --svg keeps of each recording and break (times
// in milliseconds on the header's clock, frequencies in half hertz), drawn as SVG.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalimber {

// A span of time and of frequency: a recording, or where a break lies.
// Frequencies are in half hertz, so that CenterFreq +- Bandwidth/2 stays whole.
struct PictureSpan {
    std::int64_t StartMs = 0;
    std::int64_t StopMs = 0;
    std::int64_t LowHalfHz = 0;
    std::int64_t HighHalfHz = 0;
};

// A recording's rectangle, and the text a browser shows on hover; its
// centre frequency lies halfway up its band.
struct PictureBar {
    PictureSpan Span;
    std::string Title;
    std::string Name;  // the file's name, drawn inside the bar where it fits
};

// A break of a link or a chain's end, in red, with its text.
struct PictureMark {
    PictureSpan Span;
    std::string Text;   // on the picture: "gap 5000 ms", "Fork: b.wav"
    std::string Title;  // on hover: the files it lies between as well
};

// One chain: its drawn files in order (a link joins each to the next one
// drawn), and its breaks.
struct PictureChain {
    std::string First;
    std::size_t Files = 0;
    std::vector<PictureBar> Bars;
    std::vector<PictureMark> Marks;
};

// A file that is not drawn, and why.
struct PictureFailure {
    std::string Path;
    std::string Reason;
};

struct SessionPicture {
    std::vector<std::string> Paths;  // as given
    std::size_t Files = 0;
    std::uint64_t DurationMs = 0;  // every chain's files added up
    std::size_t Breaks = 0;
    std::vector<PictureChain> Chains;
    std::vector<PictureFailure> Failures;
};

// The whole document: SVG 1.1, self-contained, every text XML-escaped.
std::string SessionSvg(const SessionPicture& picture);

// The steps of an axis: every multiple of step from low to high, with step
// the least of 1, 2 and 5 times a power of ten (times: of the clock's steps
// from 1 ms to 30 days) that gives at most maxTicks of them.
std::int64_t FrequencyStep(std::int64_t span, int maxTicks);
std::int64_t TimeStep(std::int64_t spanMs, int maxTicks);

// Where value lies from low to high on a scale of size units (all whole
// numbers, with no overflow for any span of int64).
std::int64_t Scale(std::int64_t value, std::int64_t low, std::int64_t high, std::int64_t size);

}  // namespace kalimber
