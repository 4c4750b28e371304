// Whole runs in-process from a scratch folder: the open failures, the path
// line's edge cases, CR LF command files, and the bundled sample end to end.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/unicode.h"
#include "run/run.h"
#include "tests/expected_text.h"
#include "tests/test_support.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {


std::string SourceFile(const std::string& relative) {
    return std::string(KALIMBER_SOURCE_DIR) + "/" + relative;
}

TEST(RunPaths, OpenFailuresPrintOneMessage) {
    ScratchDir dir;
    std::filesystem::create_directory("folder.wav");
    WriteFileRaw("readonly.wav", WellFormedRecording());
    std::filesystem::permissions("readonly.wav", std::filesystem::perms::owner_read);
    const bool runsAsRoot = geteuid() == 0;  // root may write a read-only file
    enum class CommandFile { Missing, Folder, Text };
    struct Case {
        const char* name;
        CommandFile kind;
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"no command file", CommandFile::Missing, "", kBanner + "Can't open ToDoWave.txt\n"},
        {"command file is a folder", CommandFile::Folder, "",
         kBanner + "Can't open ToDoWave.txt\n"},
        {"missing recording", CommandFile::Text, "missing.wav\nWCF 5\n", kBanner + "fopen ERROR\n"},
        {"directory as recording", CommandFile::Text, "folder.wav\n", kBanner + "fopen ERROR\n"},
        {"empty command file", CommandFile::Text, "", kBanner + "fopen ERROR\n"},
        {"empty first line", CommandFile::Text, "\nWCF 5\n", kBanner + "fopen ERROR\n"},
        {"empty first CR LF line", CommandFile::Text, "\r\nWCF 5\n", kBanner + "fopen ERROR\n"},
        // An empty UTF-16 file: the mark is no name.
        {"UTF-16 LE mark only", CommandFile::Text, "\xFF\xFE", kBanner + "fopen ERROR\n"},
        {"UTF-16 BE mark only", CommandFile::Text, "\xFE\xFF", kBanner + "fopen ERROR\n"},
    };
    // Decoys: the names a wrong reading of those lines would open.
    for (const char* decoy : {"\n", "\xFF\xFE", "\xFE\xFF"}) {
        WriteFileRaw(decoy, WellFormedRecording());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove("ToDoWave.txt");
        if (c.kind == CommandFile::Folder) {
            std::filesystem::create_directory("ToDoWave.txt");
        } else if (c.kind == CommandFile::Text) {
            WriteFileText("ToDoWave.txt", c.text);
        }
        ResetProcessState();
        CapturedOutput capture;
        const int lowestFreeBefore = dup(0);
        close(lowestFreeBefore);
        kalimber::Run();
        EXPECT_EQ(capture.Take(), c.expected);
        if (c.expected == kBanner + "Can't open ToDoWave.txt\n") {
            const int lowestFreeAfter = dup(0);
            close(lowestFreeAfter);
            EXPECT_EQ(lowestFreeAfter, lowestFreeBefore) << "a descriptor was left open";
        }
    }
    if (!runsAsRoot) {
        EXPECT_EQ(RunWithCommandFile("readonly.wav\n"), kBanner + "fopen ERROR\n");
    }
}

TEST(RunPaths, ThePathLineTakesEverythingButOneLineFeed) {
    ScratchDir dir;
    WriteFileRaw("plain.wav", WellFormedRecording());
    WriteFileRaw("blank.wav ", WellFormedRecording());
    WriteFileRaw("r", WellFormedRecording());
    struct Case {
        const char* name;
        const char* commandFile;
        const char* selected;  // nullptr: the recording does not open
    };
    const Case cases[] = {
        {"no line feed", "plain.wav", "plain.wav"},
        {"one-character name", "r\n", "r"},
        {"one character, no line feed", "r", "r"},
        {"line feed", "plain.wav\n", "plain.wav"},
        {"CR LF", "plain.wav\r\n", "plain.wav"},
        {"trailing blank opens the blank name", "blank.wav \n", "blank.wav "},
        {"a lone CR stays in the path", "plain.wav\r", nullptr},
        {"leading blank stays in the path", " plain.wav\n", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = RunWithCommandFile(c.commandFile);
        if (c.selected == nullptr) {
            EXPECT_EQ(output, kBanner + "fopen ERROR\n");
            continue;
        }
        const std::string head = kBanner + "Selected file: \n" + c.selected + "\n\n" + kRule + "\n";
        EXPECT_EQ(output.substr(0, head.size()), head);
        // The command file holds only the path: the list's banner and nothing more.
        ASSERT_GE(output.size(), kCmdListBanner.size());
        EXPECT_EQ(output.substr(output.size() - kCmdListBanner.size()), kCmdListBanner);
    }
}

TEST(RunPaths, CommandFilesInEveryEncodingNameTheirRecording) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string accents = "Aufnahme M\xC3\xA4rz \xC3\xA9.wav";  // UTF-8
    std::u16string cutWide = u"r.wav\nWCF 7";
    cutWide.append(509, u'\u00E9');  // 1018 bytes of UTF-8: the piece ends at 1023
    struct Case {
        const char* name;
        std::string commandFile;
        std::string selected;    // the path's bytes, also the recording's name
        std::u16string shown;    // what a console window is given
        std::uint32_t centerFreq;
    };
    constexpr std::uint32_t kUnchanged = 7100000;
    // A UTF-16 LE command file naming "r" + middle + ".wav", with no command.
    const auto utf16Path = [](const std::u16string& middle) {
        return Utf16CommandFile(u"r" + middle + u".wav\r\n", false);
    };
    const Case cases[] = {
        {"UTF-8", accents + "\nWCF 11\n", accents, u"Aufnahme M\u00E4rz \u00E9.wav", 11},
        {"UTF-8 CJK and a surrogate pair", "\xE5\xBD\x95\xE9\x9F\xB3\xF0\x9F\x93\xBB.wav\nWCF 12\n",
         "\xE5\xBD\x95\xE9\x9F\xB3\xF0\x9F\x93\xBB.wav", u"\u5F55\u97F3\U0001F4FB.wav", 12},
        {"UTF-8 BOM, ASCII name", bom + "r.wav\r\nWCF 13\r\n", "r.wav", u"r.wav", 13},
        {"UTF-8 BOM, non-ASCII name", bom + accents + "\nWCF 14\n", accents,
         u"Aufnahme M\u00E4rz \u00E9.wav", 14},
        {"UTF-16 LE, CR LF, slash ends", Utf16CommandFile(u"Aufnahme M\u00E4rz \u00E9.wav\r\nWCF 15\r\n/\r\nWCF 1\r\n", false),
         accents, u"Aufnahme M\u00E4rz \u00E9.wav", 15},
        {"UTF-16 BE", Utf16CommandFile(u"\u5F55\u97F3.wav\nWCF 16\n", true), "\xE5\xBD\x95\xE9\x9F\xB3.wav",
         u"\u5F55\u97F3.wav", 16},
        {"UTF-16 unit holding 0x1A", Utf16CommandFile(u"\u011A.wav\nWCF 17\n", false), "\xC4\x9A.wav",
         u"\u011A.wav", 17},
        {"UTF-16 surrogate pair", Utf16CommandFile(u"\U0001F4FB.wav\nWCF 18\n", true), "\xF0\x9F\x93\xBB.wav",
         u"\U0001F4FB.wav", 18},
        {"UTF-16 lone surrogates", Utf16CommandFile(std::u16string(u"r") + char16_t(0xD800) + u"." +
                                             char16_t(0xDC00) + u"wav\nWCF 19\n", false),
         "r\xEF\xBF\xBD.\xEF\xBF\xBDwav", u"r\uFFFD.\uFFFDwav", 19},
        {"UTF-16 odd last byte", Utf16CommandFile(u"r.wav\nWCF 20\n", false) + "A", "r.wav", u"r.wav", 20},
        {"UTF-16 cut counts decoded bytes", Utf16CommandFile(cutWide + u"WCF 21\n", false), "r.wav", u"r.wav", 21},
        {"BOM bytes after the start are data", "r.wav\n" + bom + "WCF 22\n", "r.wav", u"r.wav",
         kUnchanged},
        {"half a BOM is part of the path", "\xEF\xBBr.wav\nWCF 23\n", "\xEF\xBBr.wav",
         u"\u00EF\u00BBr.wav", 23},
        {"ANSI (Windows-1252)", "M\xE4rz \x80.wav\nWCF 24\n", "M\xE4rz \x80.wav",
         u"M\u00E4rz \u20AC.wav", 24},
        // Not UTF-8, so a console is given what the ANSI code page makes of them.
        {"overlong form", "r\xC0\xAF.wav\nWCF 25\n", "r\xC0\xAF.wav", u"r\u00C0\u00AF.wav", 25},
        {"UTF-8 of a surrogate", "r\xED\xA0\x80.wav\nWCF 26\n", "r\xED\xA0\x80.wav",
         u"r\u00ED\u00A0\u20AC.wav", 26},
        {"beyond U+10FFFF", "r\xF4\x90\x80\x80.wav\nWCF 27\n", "r\xF4\x90\x80\x80.wav",
         u"r\u00F4\u0090\u20AC\u20AC.wav", 27},
        {"cut sequence", "r\xE2\x82.wav\nWCF 28\n", "r\xE2\x82.wav", u"r\u00E2\u0082.wav", 28},
        // UTF-16 LE paths at the borders of the 1-, 2-, 3- and 4-byte UTF-8 forms.
        {"U+007F", utf16Path(u"\x7F"), "r\x7F.wav", u"r\x7F.wav", kUnchanged},
        {"U+0080", utf16Path(u"\x80"), "r\xC2\x80.wav", u"r\x80.wav", kUnchanged},
        {"U+07FF", utf16Path(u"\u07FF"), "r\xDF\xBF.wav", u"r\u07FF.wav", kUnchanged},
        {"U+0800", utf16Path(u"\u0800"), "r\xE0\xA0\x80.wav", u"r\u0800.wav", kUnchanged},
        {"U+4E2D", utf16Path(u"\u4E2D"), "r\xE4\xB8\xAD.wav", u"r\u4E2D.wav", kUnchanged},
        {"U+FFFF", utf16Path(u"\xFFFF"), "r\xEF\xBF\xBF.wav", u"r\xFFFF.wav", kUnchanged},
        {"U+10000", utf16Path(u"\U00010000"), "r\xF0\x90\x80\x80.wav", u"r\U00010000.wav",
         kUnchanged},
        {"U+100000", utf16Path(u"\U00100000"), "r\xF4\x80\x80\x80.wav", u"r\U00100000.wav",
         kUnchanged},
        {"U+10FFFF", utf16Path(u"\U0010FFFF"), "r\xF4\x8F\xBF\xBF.wav", u"r\U0010FFFF.wav",
         kUnchanged},
        // The first unit past the surrogates is a character; the last surrogate is not.
        {"UTF-16 unit E000", utf16Path(u"\xE000"), "r\xEE\x80\x80.wav", u"r\xE000.wav",
         kUnchanged},
        {"UTF-16 lone DFFF", utf16Path(u"\xDFFF"), "r\xEF\xBF\xBD.wav", u"r\uFFFD.wav",
         kUnchanged},
        {"UTF-16 odd byte ends the path line", Utf16CommandFile(u"r.wav", false) + "A",
         "r.wav\xEF\xBF\xBD", u"r.wav\uFFFD", kUnchanged},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool console : {false, true}) {
            WriteFileRaw(c.selected, WellFormedRecording());
            FakePlatform platform;
            FakePlatform::console = console;
            const std::string output = RunWithCommandFile(c.commandFile);
            const std::string line = console ? "" : c.selected + "\n";
            EXPECT_NE(output.find("Selected file: \n" + line + "\n" + kRule), std::string::npos);
            EXPECT_TRUE(FakePlatform::consoleText == (console ? c.shown + u'\n' : u""));
            const Bytes after = ReadFileBytes(c.selected);
            EXPECT_EQ(after.at(76) | after.at(77) << 8 | after.at(78) << 16 | after.at(79) << 24,
                      static_cast<int>(c.centerFreq));
            std::filesystem::remove(c.selected);
        }
    }
}

TEST(RunPaths, Utf8PathsAreUnicodeNamesOnlyWhenWellFormed) {
    struct Case {
        const char* bytes;
        std::u16string decoded;  // empty: not UTF-8, so the ANSI code page decodes it
    };
    const Case cases[] = {
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\xE000"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xE0\x9F\xBF", u""},      // overlong
        {"\xED\xA0\x80", u""},      // a surrogate
        {"\xF0\x8F\xBF\xBF", u""},  // overlong
        {"\xF4\x90\x80\x80", u""},  // beyond U+10FFFF
        {"\xC1\xBF", u""},          // overlong
        {"\xF5\x80\x80\x80", u""},  // beyond U+10FFFF
        {"\xF1\x80\x80\x80", u"\U00040000"},
        {"\xF1\x7F\x80\x80", u""},  // a second byte below the range
        {"\xF2\x10\x80\x80", u""},  // far below it
        {"\xC3\xC0", u""},          // above it
        {"\xF1\x80\x7F\x80", u""},  // a later byte below the range
        {"\xE1\x80\xC0", u""},      // a later byte above it
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::u16string text;
        EXPECT_EQ(Utf8ToUtf16(c.bytes, text), !c.decoded.empty());
        if (!c.decoded.empty()) {
            EXPECT_TRUE(text == c.decoded);
        }
        // A console window is given the characters, or the ANSI code page's reading.
        const std::string path = std::string("r") + c.bytes;
        WriteFileRaw(path, WellFormedRecording());
        FakePlatform platform;
        FakePlatform::console = true;
        RunWithCommandFile(path + "\n");
        std::u16string ansi = u"r";
        for (const char* b = c.bytes; *b != '\0'; ++b) {
            const auto byte = static_cast<unsigned char>(*b);
            ansi += byte == 0x80 ? u'\u20AC' : static_cast<char16_t>(byte);
        }
        const std::u16string shown = c.decoded.empty() ? ansi : u"r" + c.decoded;
        EXPECT_TRUE(FakePlatform::consoleText == shown + u'\n');
        std::filesystem::remove(path);
    }
}

TEST(RunPaths, APathOfMoreThan1023CharactersIsCut) {
    ScratchDir dir;
    const std::string name(1023, 'p');
    // Longer than a file name may be, so make it a path through folders.
    std::string path;
    while (path.size() + 201 <= 1023) {
        path += std::string(200, 'd') + "/";
    }
    path += std::string(1023 - path.size(), 'f');
    ASSERT_EQ(path.size(), 1023u);
    std::filesystem::create_directories(path.substr(0, path.rfind('/')));
    WriteFileRaw(path, WellFormedRecording());
    // Exactly 1023 characters opens; the 1024th and on come back as a command line.
    EXPECT_NE(RunWithCommandFile(path + "\n").find("Selected file: \n" + path + "\n"),
              std::string::npos);
    const std::string output = RunWithCommandFile(path + "WCF 99\n");
    EXPECT_NE(output.find("Selected file: \n" + path + "\n"), std::string::npos);
    EXPECT_NE(output.find(kCmdListBanner + "Cmd Write CenterFreq: 99[Hz]\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path).at(76), 99);
}

TEST(RunPaths, CrLfCommandFileBehavesLikeLf) {
    ScratchDir dir;
    const std::string lf = "r.wav\nWCF 7050000\n\nWBW 0x2EE00\nwcf 1\n/\nWCF 1\n";
    std::string crlf;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    WriteFileRaw("r.wav", WellFormedRecording());
    const std::string lfOutput = RunWithCommandFile(lf);
    const Bytes lfBytes = ReadFileBytes("r.wav");
    WriteFileRaw("r.wav", WellFormedRecording());
    const std::string crlfOutput = RunWithCommandFile(crlf);
    EXPECT_EQ(crlfOutput, lfOutput);
    EXPECT_EQ(ReadFileBytes("r.wav"), lfBytes);
    EXPECT_NE(lfOutput.find("Cmd Write BandWidth: 192000[Hz]\nWrong Command\n\n"),
              std::string::npos);
}

TEST(RunPaths, BundledSampleRunMatchesTheTextWrittenByHand) {
    ScratchDir dir;
    const Bytes original = ReadFileBytes(SourceFile("sample/sample.wav"));
    ASSERT_FALSE(original.empty());
    WriteFileRaw("sample.wav", original);
    const Bytes commands = ReadFileBytes(SourceFile("sample/ToDoWave.txt"));
    const Bytes expectedBytes = ReadFileBytes(SourceFile("tests/data/sample_run.txt"));
    const std::string output = RunWithCommandFile(std::string(commands.begin(), commands.end()));
    EXPECT_EQ(output, std::string(expectedBytes.begin(), expectedBytes.end()));
    // Only CenterFreq (76..79) and Bandwidth (88..91) differ afterwards.
    const Bytes after = ReadFileBytes("sample.wav");
    ASSERT_EQ(after.size(), original.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if ((i < 76 || i > 79) && (i < 88 || i > 91)) {
            ASSERT_EQ(after[i], original[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(after[76] | after[77] << 8 | after[78] << 16 | after[79] << 24, 7050000);
    EXPECT_EQ(after[88] | after[89] << 8 | after[90] << 16 | after[91] << 24, 192000);
}

}  // namespace
}  // namespace kalimber::test

namespace kalimber::test {
namespace {

TEST(Sample, TheBannerShowsTheProjectVersion) {
    // The version is set once, in CMake (archives, the .exe's resource); every
    // run test holds the banner's text as it must stay: "Ver: 1.0".
    EXPECT_EQ(kBanner, kRule + "ORVA Kalimber Ver: " + KALIMBER_PROJECT_VERSION + "\n" + kRule + "\n");
    ScratchDir dir;
    EXPECT_EQ(RunWithCommandFile("missing.wav\n"), kBanner + "fopen ERROR\n");
}

TEST(Sample, BundledRecordingIsTheBuildersOutput) {
    using namespace sample;
    const Bytes built = MakeRecording(MakeHeader(SampleDataBytes), MakeSamples(SampleDataBytes));
    EXPECT_EQ(ReadFileBytes(std::string(KALIMBER_SOURCE_DIR) + "/sample/sample.wav"), built);
}

}  // namespace
}  // namespace kalimber::test
