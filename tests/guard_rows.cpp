// Rows of what keeps a write whole against the world: interrupts, file size
// limits with their signal, a file another process holds, two runs at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/expected_text.h"
#include "tests/process_harness.h"

namespace kalimber::test {
namespace {

// The files of an interrupted batch: d/a100.wav to d/a119.wav.
void MakeBatch() {
    std::filesystem::create_directories("d");
    for (int i = 0; i < 20; ++i) {
        WriteFileRaw("d/a" + std::to_string(100 + i) + ".wav", WellFormedRecording(1000));
    }
}

// After an interrupt: a line for each file written and no more, the
// summary saying where it stopped, each file whole (old or new).
std::function<void(const Exit&)> StoppedBetweenFiles() {
    return [](const Exit& e) {
        const Bytes old = WellFormedRecording(1000);
        const Bytes patched = Patched(old, 7050000, 150000);
        int changed = 0;
        for (int i = 0; i < 20; ++i) {
            const Bytes now = ReadFileBytes("d/a" + std::to_string(100 + i) + ".wav");
            EXPECT_TRUE(now == old || now == patched) << i;
            changed += now == patched;
        }
        const auto lines = std::count(e.out.begin(), e.out.end(), '\n');
        EXPECT_EQ(lines, changed) << e.out;
        EXPECT_GT(changed, 0);
        EXPECT_LT(changed, 20);
        const std::string tail = ", interrupted after " + std::to_string(changed) + " of 20 files\n";
        EXPECT_TRUE(EndsWith(e.err, tail)) << e.err;
    };
}

std::vector<Case> GuardCases() {
    const Bytes sample = SampleRecording();
    const std::string holds = "f.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n";
    const std::vector<std::string> batch = {"--cf", "7.05M", "d"};
    auto interrupted = [&](const char* name, int signal, int status, bool twice) {
        Limits limits = Interrupted("100", signal, twice);
        limits.before = MakeBatch;
        return Case{name, Where::Direct, {}, batch, status, "*", "*", limits, StoppedBetweenFiles()};
    };
    // A file locked by this test process, as another run holds it.
    auto locked = Before([] {
        const int fd = open("a.wav", O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(flock(fd, LOCK_EX), 0);  // released when this test process ends
    });
    const Case rows[] = {
        interrupted("SIGINT ends a patch between files: 130", SIGINT, 130, false),
        interrupted("SIGTERM ends a patch between files: 143", SIGTERM, 143, false),
        interrupted("SIGHUP ends a patch between files: 129", SIGHUP, 129, false),
        interrupted("a second SIGINT does not cut it short", SIGINT, 130, true),
        // A size limit with its signal at the default: the write falls short
        // and is undone, whichever field it stops in; with room, it is written.
        {"a size limit of 0 bytes and its signal", Where::Direct, {{"f.wav", sample, {}}},
         {"--cf", "7050000", "--bw", "96000", "-q", "f.wav"}, 1, "",
         "kalimber: f.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n"
         "0 patched, 0 unchanged, 0 refused, 1 failed\n",
         FileSizeLimitWithItsSignal(0)},
        {"a size limit of 40 bytes", Where::Direct, {{"f.wav", sample, {}}}, {"--cf", "7050000", "--bw", "96000", "f.wav"},
         1, holds, "*", FileSizeLimitWithItsSignal(40)},
        // CenterFreq was written, then Bandwidth fell short: both go back (the time of the write stays).
        {"a size limit of 90 bytes, inside Bandwidth", Where::Direct, {{"f.wav", sample, sample}},
         {"--cf", "7050000", "--bw", "96000", "f.wav"}, 1, holds, "*", FileSizeLimitWithItsSignal(90)},
        {"a size limit of 200 bytes", Where::Direct, {{"f.wav", sample, Patched(sample, 7050000, 96000)}},
         {"--cf", "7050000", "--bw", "96000", "f.wav"}, 0,
         "f.wav: CenterFreq 7100000 -> 7050000, Bandwidth 150000 -> 96000\n", "*", FileSizeLimitWithItsSignal(200)},
        {"a file another process holds is not written", Where::LinuxOnly,
         {{"a.wav", sample, {}}, {"b.wav", sample, Patched(sample, 7050000, 150000)}}, {"--cf", "7.05M", "a.wav", "b.wav"},
         1, "b.wav: CenterFreq 7100000 -> 7050000\n",
         "CenterFreq: 7100000 (2 files) -> 7050000\nkalimber: a.wav: busy: another process is writing it\n"
         "1 patched, 0 unchanged, 0 refused, 1 failed\n",
         locked},
    };
    return {std::begin(rows), std::end(rows)};
}

INSTANTIATE_TEST_SUITE_P(Guard, CommandLineRow, ::testing::ValuesIn(GuardCases()), RowName);

// The tool as a shell command, through its launcher, in the current folder.
std::string ToolCommand(const std::string& arguments) {
    std::string command = EnvOr("KALIMBER_LAUNCHER", "");
    command += command.empty() ? "'" : " '";
    command += kExe + "' " + arguments;
    return command;
}

// Two runs on the same files at once: each file is written by one of them
// at a time; no field is torn, and each record's after is what its run read back.
TEST(Guard, TwoRunsAtOnceNeverTearAFileNorMisreport) {
    ScratchDir dir;
    std::filesystem::create_directories("many");
    const Bytes small = WellFormedRecording(1000);
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) {
        WriteFileRaw("many/a" + std::to_string(1000 + i) + ".wav", small);
    }
    const std::string both = "(" + ToolCommand("--json --cf 7.2M many > a.json 2> a.err") + " & " +
                             ToolCommand("--json --bw 50k many > b.json 2> b.err") + "; wait)";
    ASSERT_EQ(std::system(("sh -c \"" + both + "\" < /dev/null").c_str()), 0);
    std::map<std::string, Bytes> files;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "many/a" + std::to_string(1000 + i) + ".wav";
        const Bytes now = ReadFileBytes(name);
        const Bytes cf = Patched(small, 7200000, 150000);
        const Bytes bw = Patched(small, 7100000, 50000);
        const Bytes all = Patched(small, 7200000, 50000);
        EXPECT_TRUE(now == small || now == cf || now == bw || now == all) << name;
        files[name] = now;
    }
    auto field = [](const Bytes& b, std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24);
    };
    for (const char* log : {"a.json", "b.json"}) {
        const Bytes bytes = ReadFileBytes(log);
        std::istringstream records(std::string(bytes.begin(), bytes.end()));
        int count = 0;
        for (std::string line; std::getline(records, line); ++count) {
            const nlohmann::json j = nlohmann::json::parse(line);
            std::string path = j["path"];
            std::replace(path.begin(), path.end(), '\\', '/');
            if (j["result"] == "patched") {
                // The field this run wrote is as it read it back, and no other run writes it.
                const bool cf = std::string(log) == "a.json";
                EXPECT_EQ(j["after"][cf ? "CenterFreq" : "Bandwidth"], field(files[path], cf ? 76 : 88)) << line;
            } else {
                EXPECT_EQ(j["result"], "failed") << line;
                EXPECT_EQ(j["error"], "busy: another process is writing it") << line;
            }
        }
        EXPECT_EQ(count, kFiles) << log;
    }
}

}  // namespace
}  // namespace kalimber::test
