// The real tool's --svg pictures, parsed by xmllint and rendered by rsvg-convert:
// each bar on the pixels its times and frequencies give, a gap in red, no red without a break.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
        {"a03, a quarter band above its centre", X(23, 54, 30), Y(7148000), blue, true},
        {"a03, past its band", X(23, 54, 30), Y(7250000), blue, false},
        {"b05 after midnight's other side", X(23, 58, 0), Y(14152000), green, true},
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

}  // namespace
}  // namespace kalimber::test
