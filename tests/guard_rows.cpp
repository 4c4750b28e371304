// Rows of what keeps a write whole against the world: interrupts, file size
// limits with their signal, a file another process holds, two runs at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <filesystem>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/expected_text.h"
#include "tests/process_harness.h"

namespace kalimber::test {
namespace {

// The files of an interrupted batch: d/a1000.wav onwards.
std::function<void()> MakeBatch(int count) {
    return [count] {
        std::filesystem::create_directories("d");
        for (int i = 0; i < count; ++i) {
            WriteFileRaw("d/a" + std::to_string(1000 + i) + ".wav", WellFormedRecording(1000));
        }
    };
}

// After an interrupt: a line for each file written and no more, the
// summary saying where it stopped, each file whole (old or new).
std::function<void(const Exit&)> StoppedBetweenFiles(int count) {
    return [count](const Exit& e) {
        const Bytes old = WellFormedRecording(1000);
        const Bytes patched = Patched(old, 7050000, 150000);
        int changed = 0;
        for (int i = 0; i < count; ++i) {
            const Bytes now = ReadFileBytes("d/a" + std::to_string(1000 + i) + ".wav");
            EXPECT_TRUE(now == old || now == patched) << i;
            changed += now == patched;
        }
        const auto lines = std::count(e.out.begin(), e.out.end(), '\n');
        EXPECT_EQ(lines, changed) << e.out;
        EXPECT_GT(changed, 0);
        EXPECT_LT(changed, count);
        const std::string tail =
            ", interrupted after " + std::to_string(changed) + " of " + std::to_string(count) + " files\n";
        EXPECT_TRUE(EndsWith(e.err, tail)) << e.err;
    };
}

// A log of one write: a.wav's CenterFreq from 7100000 to 7050000, as
// --log writes it, with the run changed as given.
std::string OneIntent(const std::string& run) {
    return R"({"type":"intent","path":"a.wav","identity":null,"runs":[)" + run + "]}\n";
}
const std::string kCfRun = R"({"offset":76,"old":"60566c00","new":"10936b00"})";

std::function<void()> WriteLog(const std::string& text) {
    return [text] { WriteFileText("x.log", text); };
}

std::vector<Case> GuardCases() {
    const Bytes sample = SampleRecording();
    const std::string holds = "f.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n";
    const std::vector<std::string> batch = {"--cf", "7.05M", "d"};
    auto interrupted = [&](const char* name, int signal, int status, bool twice) {
        Limits limits = Interrupted("100", signal, twice);
        limits.before = MakeBatch(20);
        return Case{name, Where::Direct, {}, batch, status, "*", "*", limits, StoppedBetweenFiles(20)};
    };
    // Under wine, SIGINT reaches the program as Ctrl-C in its console; the
    // files are many, so that the run is still going when the first line is out.
    Limits ctrlC = Interrupted("", SIGINT);
    ctrlC.before = MakeBatch(1000);
    // A batch of 20 patched with a log, whose undo is then interrupted.
    Limits undoing = Interrupted("100", SIGINT);
    undoing.before = [] {
        MakeBatch(20)();
        const Exit patch = RunToExit(".", {"-q", "--cf", "7.05M", "--log", "x.log", "d"});
        ASSERT_EQ(patch.status, 0) << patch.err;
    };
    // A file locked by this test process, as another run holds it.
    auto locked = Before([] {
        const int fd = open("a.wav", O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(flock(fd, LOCK_EX), 0);  // released when this test process ends
    });
    const Bytes newCf = Patched(sample, 7050000, 150000);
    const std::string hint = "Try 'kalimber --help'.\n";
    auto badLog = [&](const char* name, const std::string& log, const std::string& why) {
        return Case{name, Where::Everywhere, {{"a.wav", newCf, {}}}, {"--undo", "x.log"}, 2, "",
                    "kalimber: --undo: x.log: " + why + "; nothing is written\n" + hint, Before(WriteLog(log))};
    };
    const Case rows[] = {
        {"--log, --undo, and the undo of the undo", Where::Everywhere, {{"a.wav", sample, Patched(sample, 7050000, 192000)}},
         {"-q", "--cf", "7.05M", "--bw", "192k", "--log", "a.log", "a.wav"}, 0, "", "", {},
         [sample](const Exit&) {
             const Exit undo = RunToExit(".", {"--undo", "a.log", "--log", "b.log"});
             EXPECT_EQ(undo.status, 0) << undo.err;
             EXPECT_EQ(undo.out, "a.wav: CenterFreq 7050000 -> 7100000, Bandwidth 192000 -> 150000\n");
             EXPECT_TRUE(ReadFileBytes("a.wav") == sample);
             const Exit again = RunToExit(".", {"--undo", "a.log"});  // holds the old bytes already
             EXPECT_EQ(again.out, "a.wav: unchanged\n");
             const Exit redo = RunToExit(".", {"--undo", "b.log"});
             EXPECT_EQ(redo.status, 0) << redo.err;
         }},
        {"--undo of an intent whose outcome never came", Where::Everywhere, {{"a.wav", newCf, sample}}, {"--undo", "x.log"},
         0, "a.wav: CenterFreq 7050000 -> 7100000\n", "1 patched, 0 unchanged, 0 refused, 0 failed\n",
         Before(WriteLog(OneIntent(kCfRun)))},
        {"--undo refuses a file changed since the log", Where::Everywhere, {{"a.wav", Patched(sample, 5, 150000), {}}},
         {"--undo", "x.log"}, 1,
         "a.wav: not written: changed since the log: bytes 76 to 79 hold neither the old nor the new values\n",
         "0 patched, 0 unchanged, 1 refused, 0 failed\n", Before(WriteLog(OneIntent(kCfRun)))},
        badLog("a log line that does not parse", OneIntent(kCfRun) + "{\"type\":\"intent\",\n",
               "line 2: not a line of a kalimber log"),
        badLog("a log's hex of the wrong length", OneIntent(R"({"offset":76,"old":"60566c","new":"10936b00"})"),
               "line 1: old and new bytes of the wrong length, or outside the fields the tool writes"),
        badLog("a log's offset outside the header", OneIntent(R"({"offset":316,"old":"60566c00","new":"10936b00"})"),
               "line 1: an offset outside 0..315"),
        badLog("a log that would write the RIFF identifier", OneIntent(R"({"offset":0,"old":"52494646","new":"00000000"})"),
               "line 1: old and new bytes of the wrong length, or outside the fields the tool writes"),
        badLog("a log's bytes that are not hex", OneIntent(R"({"offset":76,"old":"60566c0g","new":"10936b00"})"),
               "line 1: old or new bytes are not hex"),
        {"a recording named as the log is never appended to", Where::Everywhere,
         {{"a.wav", sample, {}}, {"b.wav", sample, {}}}, {"--cf", "7.05M", "--log", "a.wav", "b.wav"}, 1, "",
         "kalimber: a.wav: not a log of this tool (it does not start with a JSON line); nothing is written\n"},
        {"a log that cannot be written writes nothing", Where::LinuxOnly,
         {{"a.wav", sample, {}}, {"b.wav", sample, {}}}, {"--cf", "7.05M", "--log", "/dev/full", "a.wav", "b.wav"}, 1,
         "a.wav: write failed: the log could not be written (/dev/full: No space left on device); the file is unchanged\n"
         "b.wav: write failed: the log could not be written (/dev/full: No space left on device); the file is unchanged\n",
         "CenterFreq: 7100000 (2 files) -> 7050000\n"
         "kalimber: /dev/full: No space left on device; the run stops before the next file\n"
         "0 patched, 0 unchanged, 0 refused, 2 failed\n"},
        {"names that are not UTF-8 are undone each as itself", Where::LinuxOnly,
         {{"a\xFF.wav", sample, sample}, {"a\xFE.wav", sample, sample}},
         {"-q", "--json", "--cf", "7.05M", "--log", "a.log", "a\xFF.wav", "a\xFE.wav"}, 0, "", "", {},
         [](const Exit&) {
             // Both show as a\uFFFD.wav; the one changed since stays, its twin is undone.
             WriteFileRaw("a\xFE.wav", Patched(SampleRecording(), 5, 150000));
             const Exit undo = RunToExit(".", {"--undo", "a.log"});
             EXPECT_EQ(undo.status, 1) << undo.err;
             EXPECT_TRUE(ReadFileBytes("a\xFF.wav") == SampleRecording());
             EXPECT_TRUE(ReadFileBytes("a\xFE.wav") == Patched(SampleRecording(), 5, 150000));
             WriteFileRaw("a\xFE.wav", SampleRecording());
         }},
        interrupted("SIGINT ends a patch between files: 130", SIGINT, 130, false),
        {"Ctrl-C in a Windows console ends a patch between files", Where::WindowsOnly, {}, batch, 130, "*", "*", ctrlC,
         StoppedBetweenFiles(1000)},
        // An undo stops between files too, and says how far into its log it came.
        {"SIGINT ends an undo between files: 130", Where::Direct, {}, {"--undo", "x.log"}, 130, "*", "*", undoing,
         [](const Exit& e) {
             const Bytes old = WellFormedRecording(1000);
             const Bytes patched = Patched(old, 7050000, 150000);
             int undone = 0;
             for (int i = 0; i < 20; ++i) {
                 const Bytes now = ReadFileBytes("d/a" + std::to_string(1000 + i) + ".wav");
                 EXPECT_TRUE(now == old || now == patched) << i;
                 undone += now == old;
             }
             EXPECT_EQ(std::count(e.out.begin(), e.out.end(), '\n'), undone) << e.out;
             EXPECT_GT(undone, 0);
             EXPECT_LT(undone, 20);
             EXPECT_TRUE(EndsWith(e.err, ", interrupted after " + std::to_string(undone) + " of 20 files\n")) << e.err;
         }},
        interrupted("SIGTERM ends a patch between files: 143", SIGTERM, 143, false),
        interrupted("SIGHUP ends a patch between files: 129", SIGHUP, 129, false),
        interrupted("a second SIGINT does not cut it short", SIGINT, 130, true),
        // A size limit with its signal at the default: the write falls short
        // and is undone, whichever field it stops in; with room, it is written.
        {"a size limit of 0 bytes and its signal", Where::Direct, {{"f.wav", sample, {}}},
         {"--cf", "7050000", "--bw", "96000", "-q", "f.wav"}, 1, "",
         "kalimber: f.wav: write failed: File too large; the file holds CenterFreq 7100000, Bandwidth 150000\n",
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

// count copies of bytes, many/a1000.wav onwards.
void MakeMany(int count, const Bytes& bytes) {
    std::filesystem::create_directories("many");
    for (int i = 0; i < count; ++i) {
        WriteFileRaw("many/a" + std::to_string(1000 + i) + ".wav", bytes);
    }
}

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
    const Bytes small = WellFormedRecording(1000);
    constexpr int kFiles = 300;
    MakeMany(kFiles, small);
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

// Starts the tool with arguments in the current folder, its output thrown away.
pid_t StartQuietly(const std::vector<std::string>& arguments) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        ExecTool(arguments);
    }
    return pid;
}

// A patch with --log killed at thirty points of its run, each time undone by
// its log: every file is back byte for byte, whatever the kill cut short.
TEST(Guard, AKilledPatchIsUndoneByItsLog) {
    if (!EnvOr("KALIMBER_LAUNCHER", "").empty() || EndsWith(kExe, ".exe")) {
        GTEST_SKIP() << "the kills time the tool itself";
    }
    ScratchDir dir;
    const Bytes original = WellFormedRecording(1000);
    constexpr int kFiles = 2000;
    MakeMany(kFiles, original);
    const std::vector<std::string> patch = {"-q", "--cf", "7.05M", "--bw", "50k", "--log", "run.log", "many"};
    auto undoAndCheck = [&](const std::string& when) {
        if (std::filesystem::exists("run.log")) {  // killed before it opened its log, it wrote nothing
            const Exit undo = RunToExit(".", {"-q", "--undo", "run.log"});
            EXPECT_EQ(undo.status, 0) << when << ": " << undo.err;
        }
        int wrong = 0;
        for (int i = 0; i < kFiles; ++i) {
            wrong += ReadFileBytes("many/a" + std::to_string(1000 + i) + ".wav") != original;
        }
        EXPECT_EQ(wrong, 0) << when;
        std::filesystem::remove("run.log");
    };
    // A whole run first, for how long one takes.
    const auto start = Clock::now();
    int status = 0;
    waitpid(StartQuietly(patch), &status, 0);
    const auto whole = Clock::now() - start;
    undoAndCheck("after a whole run");
    for (int point = 1; point <= 30; ++point) {
        const pid_t pid = StartQuietly(patch);
        std::this_thread::sleep_for(whole * point / 31);
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        undoAndCheck("killed at " + std::to_string(point) + "/31 of a run");
    }
}

}  // namespace
}  // namespace kalimber::test
