// In-process: the session picture's text escaping, its whole-number scale and
// tick steps at their edges, and rectangles that must stay visible.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "cli/picture_text.h"
#include "cli/session_picture.h"

namespace kalimber::test {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

TEST(Picture, TextIsEscapedAndWhatXmlForbidsIsReplaced) {
    const std::string r = kReplacement;
    const struct {
        std::string in, out;
    } rows[] = {
        {"a<b&c>\"d'", "a&lt;b&amp;c&gt;&quot;d'"},
        {std::string("\x01\x1f\t\n\r", 5) + std::string(1, '\0'), r + r + "\t\n" + r + r},
        {"M\xC3\xA4rz \xE5\xBD\x95", "M\xC3\xA4rz \xE5\xBD\x95"},  // UTF-8 stays
        {"x\xFFy\xC3", "x" + r + "y" + r},                              // bytes that are no UTF-8
        {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", r + r + r},            // U+FFFE and U+FFFF are no XML characters
    };
    for (const auto& row : rows) {
        EXPECT_EQ(XmlText(row.in), row.out) << row.in;
    }
}

TEST(Picture, ScaleHoldsAtTheEndsAndOverAnySpan) {
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const struct {
        std::int64_t value, low, high, size, expected;
    } rows[] = {
        {50, 0, 100, 1000, 500},
        {-5, 0, 100, 1000, 0},      // before the start: at it
        {500, 0, 100, 1000, 1000},  // past the end: at it
        {7, 7, 7, 1000, 0},         // no span at all: nothing to divide by
        {0, -1000000000000000, 1000000000000000, 10600, 5300},  // 32,000 years each way, in milliseconds
        {0, kMin, kMax, 10600, 5300},                            // the widest span, without overflow
        {kMax, kMin, kMax, 10600, 10600},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Scale(row.value, row.low, row.high, row.size), row.expected) << row.value << " " << row.low;
    }
}

TEST(Picture, TicksAreFewAndRound) {
    const struct {
        std::int64_t span;
        std::int64_t time, frequency;
    } rows[] = {
        {0, 1, 1},
        {160, 20, 50},                   // a split file's 160 ms
        {17 * 60000, 120000, 200000},    // a quarter of an hour: every 2 minutes
        {8 * 3600000, 3600000, 5000000},  // a night: every hour
        {400LL * 86400000, 45LL * 86400000, 5000000000},  // past a month a tick: whole days
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TimeStep(row.span, 10), row.time) << row.span;
        EXPECT_EQ(FrequencyStep(row.span, 8), row.frequency) << row.span;
        EXPECT_LT(row.span / TimeStep(row.span, 10), 10);
    }
}

// A recording of no time and no bandwidth beside one of an hour stays a
// rectangle of at least 1 px each way, and a recording whose times lie at
// the limits of the calendar still lands inside the frame.
TEST(Picture, EveryRectangleIsVisibleAndInsideTheFrame) {
    SessionPicture picture;
    picture.Paths = {"d"};
    PictureChain chain;
    chain.First = "d/a.wav";
    chain.Bars.push_back({{0, 3600000, 14000000, 14400000}, "long", "a.wav"});
    chain.Bars.push_back({{1800000, 1800000, 14200000, 14200000}, "instant", "b.wav"});
    chain.Bars.push_back({{-1000000000000000, -1000000000000000, 0, 0}, "far", "c.wav"});
    picture.Chains.push_back(chain);
    const std::string svg = SessionSvg(picture);
    const std::regex rect(R"re(<rect x="([0-9.]+)" y="([0-9.]+)" width="([0-9.]+)" height="([0-9.]+)"><title>)re");
    int bars = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator(); ++it) {
        ++bars;
        const double x = std::stod((*it)[1]), y = std::stod((*it)[2]);
        const double width = std::stod((*it)[3]), height = std::stod((*it)[4]);
        EXPECT_GE(width, 1.0);
        EXPECT_GE(height, 1.0);
        EXPECT_GE(x, 110.0);
        EXPECT_LE(x + width, 1170.0);
        EXPECT_GE(y, 84.0);
        EXPECT_LE(y + height, 504.0);
    }
    EXPECT_EQ(bars, 3);
    EXPECT_EQ(svg.find("#d40000"), std::string::npos) << "red without a break";
}

TEST(Picture, BandLabelsAndLinesCutToFit) {
    const struct {
        std::int64_t hertz;
        const char* label;
    } labels[] = {
        {7100000, "7.100 MHz"}, {7123456, "7.123456 MHz"}, {145000000, "145.000 MHz"}, {4294967295, "4294.967295 MHz"},
        {500000, "500.000 kHz"}, {1000, "1.000 kHz"}, {999, "999 Hz"}, {0, "0 Hz"},
    };
    for (const auto& row : labels) {
        EXPECT_EQ(FrequencyLabel(row.hertz), row.label);
    }
    const struct {
        std::string text;
        int width;
        std::string fitted;
    } lines[] = {
        {"a01.wav", 1000, "a01.wav"},
        {"aaaaaaaaaa", 40, "aaa\xE2\x80\xA6"},  // a letter 7.92 px, the ellipsis 12: 3 of them fit in 40
        {"\xE5\xBD\x95\xE5\xBD\x95\xE5\xBD\x95", 30, "\xE5\xBD\x95\xE2\x80\xA6"},  // cut between characters, never inside one
        {"x\xFFy", 1000, "x\xEF\xBF\xBDy"},                                  // no UTF-8: U+FFFD, as everywhere
    };
    for (const auto& row : lines) {
        const std::string fitted = FitText(row.text, row.width, 12);
        EXPECT_EQ(fitted, row.fitted) << row.text;
        EXPECT_LE(TextWidth(fitted, 12), row.width) << row.text;
    }
}

// One band of 40% of its centre frequency: the axis in the unit of its
// range (never Hz: the axis reaches 1 kHz past the bands at least), and the
// band kept on it; bands 100 kHz apart on 192 kHz each, or 1 and 145 MHz,
// get lanes.
TEST(Picture, TheAxisNamesItsUnitOrGivesEachBandALane) {
    const struct {
        std::int64_t center, bandwidth, otherCenter;
        const char* axis;
    } rows[] = {
        {500000, 200000, 0, ">frequency (kHz)<"},
        {7100000, 2840000, 0, ">frequency (MHz)<"},
        {7100000, 192000, 14200000, ">frequency (MHz)<"},
        {7100000, 192000, 7200000, ">frequency: a lane a band<"},
        {1000000, 192000, 145000000, ">frequency: a lane a band<"},
    };
    for (const auto& row : rows) {
        SessionPicture picture;
        PictureChain chain;
        chain.Bars.push_back({{0, 60000, 2 * row.center - row.bandwidth, 2 * row.center + row.bandwidth}, "", "a.wav"});
        if (row.otherCenter != 0) {
            chain.Bars.push_back(
                {{0, 60000, 2 * row.otherCenter - row.bandwidth, 2 * row.otherCenter + row.bandwidth}, "", "b.wav"});
        }
        picture.Chains.push_back(chain);
        const std::string svg = SessionSvg(picture);
        EXPECT_NE(svg.find(row.axis), std::string::npos) << row.center << " " << row.otherCenter;
        EXPECT_NE(svg.find(">" + FrequencyLabel(row.center) + "<"), std::string::npos) << row.center;
    }
}

// Two minutes across midnight: a tick at each edge, the dates under them
// kept on the page.
TEST(Picture, TicksAtTheEdgesStayOnThePage) {
    SessionPicture picture;
    PictureChain chain;
    chain.Bars.push_back({{-60000, 60000, 14000000, 14400000}, "", "a.wav"});
    picture.Chains.push_back(chain);
    const std::string svg = SessionSvg(picture);
    EXPECT_NE(svg.find("<text x=\"110\" y=\"534\" text-anchor=\"middle\">1969-12-31</text>"), std::string::npos);
    EXPECT_NE(svg.find("<text x=\"1170\" y=\"534\" text-anchor=\"end\">1970-01-01</text>"), std::string::npos);
}

// The ticks' texts fall on whole steps: every 50 ms across 300 ms that
// start at .130, and every week (from the calendar's day 0) across 20 days.
TEST(Picture, TimeTicksFallOnWholeSteps) {
    const struct {
        std::int64_t start, stop;
        std::vector<std::string> ticks;
    } rows[] = {
        {130, 430, {"00:00:00.150", "00:00:00.200", "00:00:00.250", "00:00:00.300", "00:00:00.350", "00:00:00.400"}},
        {3 * 86400000LL + 43200000, 24 * 86400000LL, {"1970-01-08", "1970-01-15", "1970-01-22"}},
    };
    const std::regex tick(R"re(<text x="[0-9]+" y="520" text-anchor="[a-z]+">([^<]*)</text>)re");
    for (const auto& row : rows) {
        SessionPicture picture;
        PictureChain chain;
        chain.Bars.push_back({{row.start, row.stop, 14000000, 14400000}, "", "a.wav"});
        picture.Chains.push_back(chain);
        const std::string svg = SessionSvg(picture);
        std::vector<std::string> ticks;
        for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tick); it != std::sregex_iterator(); ++it) {
            ticks.push_back((*it)[1]);
        }
        EXPECT_EQ(ticks, row.ticks) << row.start;
    }
}

TEST(Picture, NothingToDrawIsStillAPictureWithItsFailures) {
    SessionPicture picture;
    picture.Paths = {"a&b"};
    picture.Files = 1;
    picture.Failures.push_back({"a&b/<x>.wav", "fails the check: not-orva"});
    const std::string svg = SessionSvg(picture);
    EXPECT_NE(svg.find("<text x=\"640\" y=\"294\" text-anchor=\"middle\">no recording to draw</text>"),
              std::string::npos);  // the middle of the frame
    EXPECT_NE(svg.find("<text x=\"110\" y=\"651\" font-weight=\"bold\">Not drawn: 1 file</text>"),
              std::string::npos);  // under the legend's three lines, half a line below them
    EXPECT_NE(svg.find(">a&amp;b/&lt;x&gt;.wav: fails the check: not-orva</text>"), std::string::npos);
    EXPECT_NE(svg.find(">1 file, 0 chains, 0 breaks<"), std::string::npos);
    EXPECT_NE(svg.find(">recorded total 0:00:00.000 (0 ms), all files added up<"), std::string::npos);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
}

}  // namespace
}  // namespace kalimber::test
