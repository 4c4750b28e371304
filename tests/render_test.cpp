// The real tool's --svg pictures, parsed by xmllint and rendered by rsvg-convert: each bar
// where its times and frequencies put it, bands in lanes, breaks in red, no text on another.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tools/example_session.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

namespace fs = std::filesystem;

struct Rgb {
    int r, g, b;
};

// The picture's frame, where the axes begin and end, in pixels.
constexpr double kLeft = 110, kRight = 1170, kTop = 84, kBottom = 504;

// Runs a shell command line and reads its standard output through a pipe to
// its end; status is the exit status.
std::string Read(const std::string& command, int& status) {
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) {
        out.append(chunk, got);
    }
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

bool Found(const char* program) {
    int status = 0;
    Read(std::string("command -v ") + program + " >/dev/null", status);
    return status == 0;
}

// The picture of the arguments, as the tool writes it in the current folder.
std::string DrawnBy(const std::string& arguments, int& status) {
    return Read(std::string("'") + KALIMBER_EXE + "' --svg " + arguments + " 2>/dev/null", status);
}

// The picture parsed as XML and rendered to RGB pixels; empty where either fails.
struct Pixels {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb At(double x, double y) const {
        const int col = static_cast<int>(x), row = static_cast<int>(y);
        const std::size_t i = (static_cast<std::size_t>(row) * width + col) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Pixels Rendered(const std::string& svg) {
    WriteFileText("picture.svg", svg);
    int status = 0;
    Read("xmllint --noout picture.svg 2>&1", status);
    EXPECT_EQ(status, 0) << "not well-formed XML";
    Read("rsvg-convert -o picture.png picture.svg 2>&1", status);
    EXPECT_EQ(status, 0) << "rsvg-convert refused it";
    Pixels pixels;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (status != 0 || !png_image_begin_read_from_file(&image, "picture.png")) {
        return pixels;
    }
    image.format = PNG_FORMAT_RGB;
    pixels.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.rgb.data(), 0, nullptr)) {
        pixels.rgb.clear();
        return pixels;
    }
    pixels.width = static_cast<int>(image.width);
    pixels.height = static_cast<int>(image.height);
    return pixels;
}

bool Near(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) < 16 && std::abs(a.g - b.g) < 16 && std::abs(a.b - b.b) < 16;
}

bool Red(Rgb c) {
    return c.r > 170 && c.g < 70 && c.b < 70;
}

class SessionPicture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"xmllint", "rsvg-convert"}) {
            ASSERT_TRUE(Found(program)) << program << " is missing: apt-get install libxml2-utils librsvg2-bin";
        }
        fs::create_directory("session");
        ASSERT_TRUE(sample::WriteExampleSession("session"));
    }
    ScratchDir dir_;
};

// The example session: 23:52:00 to 00:09:00 across; 7.004 to 14.296 MHz of
// bands, and a sixteenth of that above and below, up.
double X(int hour, int minute, double second) {
    const double fromStart = ((hour < 12 ? hour + 24 : hour) - 23) * 3600.0 + (minute - 52) * 60.0 + second;
    return kLeft + fromStart / (17 * 60.0) * (kRight - kLeft);
}
double Y(double hertz) {
    const double pad = (14296000.0 - 7004000.0) / 16;
    const double low = 7004000.0 - pad, high = 14296000.0 + pad;
    return kBottom - (hertz - low) / (high - low) * (kBottom - kTop);
}

TEST_F(SessionPicture, EachRecordingLiesWhereItsTimesAndFrequenciesPutIt) {
    int status = 0;
    const Pixels p = Rendered(DrawnBy("session", status));
    EXPECT_EQ(status, 1);  // a gap and a fork
    ASSERT_EQ(p.width, 1200);
    const Rgb blue{0x1f, 0x77, 0xb4}, green{0x2c, 0xa0, 0x2c}, orange{0xff, 0x7f, 0x0e};
    const struct {
        const char* what;
        double x, y;
        Rgb colour;
        bool is;
    } rows[] = {
        {"a03, a quarter band above its centre", X(23, 54, 50), Y(7148000), blue, true},
        {"a03, past its band grown to 16 px", X(23, 54, 50), Y(7300000), blue, false},
        {"b05 after midnight's other side", X(23, 58, 25), Y(14152000), green, true},
        {"c01 just after its start", X(0, 8, 0) + 2, Y(7148000), orange, true},
        {"c01 just before its start", X(0, 8, 0) - 3, Y(7148000), orange, false},
        {"b14 just before its stop", X(0, 7, 35) - 2, Y(14248000), green, true},
        {"b14 just after its stop", X(0, 7, 35) + 3, Y(14248000), green, false},
    };
    for (const auto& row : rows) {
        const Rgb c = p.At(row.x, row.y);
        EXPECT_EQ(Near(c, row.colour), row.is) << row.what << ": " << c.r << "," << c.g << "," << c.b;
    }
    // The 5 s from b07's stop to b08's start, and the fork after c01.
    EXPECT_TRUE(Red(p.At(X(0, 0, 32.5), Y(14200000 + 48000)))) << "the gap is not red";
    EXPECT_TRUE(Red(p.At(kRight - 2.5, Y(7100000 + 48000)))) << "the fork is not red";
}

TEST_F(SessionPicture, ASessionWithoutBreaksHasNoRed) {
    for (const auto& entry : fs::directory_iterator("session")) {
        if (entry.path().filename().string()[0] != 'a') {
            fs::remove(entry.path());
        }
    }
    int status = 0;
    const Pixels p = Rendered(DrawnBy("session", status));
    EXPECT_EQ(status, 0);
    ASSERT_GT(p.width, 0);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            ASSERT_FALSE(Red(p.At(x, y))) << "red at " << x << "," << y;
        }
    }
}

// Names and a NextFileName with markup, a control and bytes that are no
// UTF-8 give a document that parses and renders, showing U+FFFD.
TEST_F(SessionPicture, AnyNameGivesAValidPicture) {
    RecordingHeader h = sample::MakeHeader(1000);
    sample::SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, "]]><x&\x01\xFE.wav");
    WriteFileRaw("session/a<&\xFF\"'.wav", RecordingWith(h, 1000));
    WriteFileRaw("session/b\x1b[31m.wav", PlainWav(400));
    int status = 0;
    const std::string svg = DrawnBy("session 'nope<&>.wav'", status);
    EXPECT_EQ(status, 1);
    const Pixels p = Rendered(svg);
    EXPECT_GT(p.width, 0);
    EXPECT_NE(svg.find("a&lt;&amp;\xEF\xBF\xBD&quot;'.wav"), std::string::npos);
    EXPECT_NE(svg.find("Missing: ]]&gt;&lt;x&amp;\xEF\xBF\xBD\xEF\xBF\xBD.wav"), std::string::npos);
    EXPECT_NE(svg.find("nope&lt;&amp;&gt;.wav: No such file or directory"), std::string::npos);
    EXPECT_NE(svg.find("b\xEF\xBF\xBD[31m.wav: fails the check: not-orva"), std::string::npos);
}

// The texts of a picture as boxes on the page, from their positions and font
// sizes: a character 0.58 em wide, a capital 0.7, one past U+036F a whole em;
// 0.8 em above the baseline and 0.2 below. Turned texts (the axis title) are left out.
struct Label {
    std::string text;
    double x0, y0, x1, y1;
};

std::vector<Label> Labels(const std::string& svg) {
    const std::regex element(R"re(^<text x="([-0-9.]+)" y="([-0-9.]+)"([^>]*)>([^<]*)</text>)re");
    const std::regex size(R"re(font-size="([0-9]+)")re");
    std::vector<Label> labels;
    std::istringstream lines(svg);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (line.rfind("<text", 0) != 0 || !std::regex_search(line, m, element) ||
            m[3].str().find("transform") != std::string::npos) {
            continue;
        }
        const std::string attributes = m[3];
        std::smatch s;
        const double font = std::regex_search(attributes, s, size) ? std::stod(s[1]) : 12.0;
        const std::string text = std::regex_replace(std::regex_replace(m[4].str(), std::regex("&(lt|gt|quot);"), "<"),
                                                    std::regex("&amp;"), "&");
        double ems = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c >= 0xC0) {
                ems += c >= 0xCE ? 1.0 : 0.58;  // a lead byte past U+036F: a whole em
            } else if (c < 0x80) {
                ems += (c >= 'A' && c <= 'Z') ? 0.7 : 0.58;
            }
        }
        const double width = ems * font * (attributes.find("bold") != std::string::npos ? 1.1 : 1.0);
        double x = std::stod(m[1]);
        x -= attributes.find("\"middle\"") != std::string::npos ? width / 2
             : attributes.find("\"end\"") != std::string::npos  ? width
                                                                 : 0;
        const double y = std::stod(m[2]);
        labels.push_back({text, x, y - 0.8 * font, x + width, y + 0.2 * font});
    }
    return labels;
}

// Every text inside the page, and none on another.
void ExpectTextsApart(const std::string& svg, double height) {
    const std::vector<Label> labels = Labels(svg);
    EXPECT_GT(labels.size(), 5u);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const Label& a = labels[i];
        EXPECT_TRUE(a.x0 >= 0 && a.x1 <= 1200 && a.y0 >= 0 && a.y1 <= height) << a.text << " leaves the page";
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const Label& b = labels[j];
            EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
                << "\"" << a.text << "\" lies on \"" << b.text << "\"";
        }
    }
}

// A crowded minute: 1, 7.1, 7.2 and 145 MHz, 8 gaps. At 12:00:27 every band
// has a bar; down that column of pixels each band's colour spans at least
// 6 px, the highest frequency on top, no two spans meeting, each labelled
// just above (or below) its span.
TEST_F(SessionPicture, FourBandsFarAndNearEachGetALaneAndEveryTextItsPlace) {
    fs::create_directory("crowd");
    ASSERT_TRUE(sample::WriteCrowdedSession("crowd"));
    int status = 0;
    const std::string svg = DrawnBy("crowd", status);
    EXPECT_EQ(status, 1);
    const Pixels p = Rendered(svg);
    ASSERT_EQ(p.width, 1200);
    const double x = kLeft + 27.0 / 67.6 * (kRight - kLeft);
    const struct {
        const char* label;
        Rgb colour;
    } bands[] = {{"145.000 MHz", {0x94, 0x67, 0xbd}},
                 {"7.200 MHz", {0x2c, 0xa0, 0x2c}},
                 {"7.100 MHz", {0x1f, 0x77, 0xb4}},
                 {"1.000 MHz", {0xff, 0x7f, 0x0e}}};
    int above = 0;
    for (const auto& band : bands) {
        int first = -1, last = -1, count = 0;
        for (int y = 0; y < p.height; ++y) {
            if (Near(p.At(x, y), band.colour)) {
                first = first < 0 ? y : first;
                last = y;
                ++count;
            }
        }
        EXPECT_GE(count, 6) << band.label;
        EXPECT_GT(first, above) << band.label << " is not below the band above it";
        above = last;
        const std::regex label("<text x=\"[0-9]+\" y=\"([0-9]+)\"[^>]*>" + std::string(band.label) + "</text>");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(svg, m, label)) << band.label << " is not labelled";
        const int baseline = std::stoi(m[1]);
        EXPECT_TRUE((baseline <= first && baseline >= first - 20) || (baseline > last && baseline <= last + 20))
            << band.label << " at " << baseline << ", its bar from " << first << " to " << last;
    }
    // Each of the 8 gaps told once: by its text on the picture, or by its number in the list.
    std::size_t told = 0;
    for (std::size_t at = 0; (at = svg.find("gap 1500 ms</text>", at)) != std::string::npos; ++at) {
        ++told;
    }
    EXPECT_EQ(told, 8u);
    ExpectTextsApart(svg, p.height);
}

// The texts of the README's picture, and of names long enough to run off
// the page, stay on it and apart.
TEST_F(SessionPicture, NoTextLiesOnAnotherOrOffThePage) {
    const std::string name(200, 'W');
    RecordingHeader h = sample::MakeHeader(1000);
    WriteFileRaw("session/" + name + ".wav", RecordingWith(h, 1000));
    WriteFileRaw("session/" + name + "-plain.wav", PlainWav(400));
    int status = 0;
    const std::string svg = DrawnBy("session", status);
    EXPECT_EQ(status, 1);
    const Pixels p = Rendered(svg);
    ASSERT_GT(p.height, 0);
    ExpectTextsApart(svg, p.height);
    EXPECT_NE(svg.find("WWW\xE2\x80\xA6</text>"), std::string::npos) << "a long line is not cut with an ellipsis";
}

// 10,000 files, each its own chain at one time and band: a picture no
// larger than before the labels (2,413,680 bytes), with one name drawn.
TEST_F(SessionPicture, TenThousandChainsOfOneFileStayAsSmall) {
    fs::create_directory("many");
    RecordingHeader h = sample::MakeHeader(1000);
    const Bytes bytes = RecordingWith(h, 1000);
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "many/f%05d.wav", i);
        WriteFileRaw(name, bytes);
    }
    int status = 0;
    const std::string svg = DrawnBy("many", status);
    EXPECT_EQ(status, 0);
    EXPECT_LT(svg.size(), 2450000u);
    EXPECT_NE(svg.find("10000 files, 10000 chains, 0 breaks"), std::string::npos);
    std::smatch height;
    ASSERT_TRUE(std::regex_search(svg, height, std::regex(R"re(height="([0-9]+)" viewBox)re")));
    ExpectTextsApart(svg, std::stod(height[1]));
    std::size_t names = 0;
    for (std::size_t at = 0; (at = svg.find("fill=\"#ffffff\">f", at)) != std::string::npos; ++at) {
        ++names;
    }
    EXPECT_EQ(names, 1u) << "names drawn over each other";
}

}  // namespace
}  // namespace kalimber::test
