// Whole runs in-process from a scratch folder: the open failures, the path
// line's edge cases, CR LF command files, and the bundled sample end to end.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

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
    };
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
        kalimber::Run();
        EXPECT_EQ(capture.Take(), c.expected);
    }
    if (!runsAsRoot) {
        EXPECT_EQ(RunWithCommandFile("readonly.wav\n"), kBanner + "fopen ERROR\n");
    }
}

TEST(RunPaths, ThePathLineTakesEverythingButOneLineFeed) {
    ScratchDir dir;
    WriteFileRaw("plain.wav", WellFormedRecording());
    WriteFileRaw("blank.wav ", WellFormedRecording());
    struct Case {
        const char* name;
        const char* commandFile;
        const char* selected;  // nullptr: the recording does not open
    };
    const Case cases[] = {
        {"no line feed", "plain.wav", "plain.wav"},
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

TEST(Sample, BundledRecordingIsTheBuildersOutput) {
    using namespace sample;
    const Bytes built = MakeRecording(MakeHeader(SampleDataBytes), MakeSamples(SampleDataBytes));
    EXPECT_EQ(ReadFileBytes(std::string(KALIMBER_SOURCE_DIR) + "/sample/sample.wav"), built);
}

}  // namespace
}  // namespace kalimber::test
