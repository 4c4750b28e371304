// The real executable as a user starts it: output on a pipe, complete before
// idling, next to no CPU while idle, and ended by a signal. KALIMBER_EXE names
// the program, KALIMBER_LAUNCHER an optional launcher (wine for the .exe).
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/expected_text.h"
#include "tests/process_harness.h"
#include "tests/test_support.h"
#include "tools/example_session.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {


struct Child {
    pid_t pid = -1;
    int out = -1;
};

// Starts the tool in folder with standard output as given and no input; a
// parent may have left one signal ignored (ignored, 0 for none), and a
// library may be preloaded into it (preload, empty for none).
Child Start(const std::string& folder, Output output = Output::Pipe, int ignored = 0,
            const std::string& preload = "") {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    if (output != Output::Pipe) {
        close(fds[0]);  // nobody will ever read
        fds[0] = -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        const int devfull = output == Output::DevFull ? open("/dev/full", O_WRONLY) : -1;
        dup2(output == Output::DevFull ? devfull : fds[1], STDOUT_FILENO);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        if (fds[0] >= 0) {
            close(fds[0]);
        }
        close(fds[1]);
        if (devnull > STDERR_FILENO) {
            close(devnull);
        }
        if (output == Output::Closed) {
            close(STDIN_FILENO);  // <&- >&-: the files the run opens come first in line
            close(STDOUT_FILENO);
        }
        // As a shell starts it: no signal ignored that the tool must decide on itself.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        if (ignored != 0) {
            signal(ignored, SIG_IGN);  // as some shells and service managers start it
        }
        if (!preload.empty()) {
            setenv("LD_PRELOAD", preload.c_str(), 1);
            setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
        }
        if (chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        ExecTool({});
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads the pipe until the output (CR removed) ends with tail, or the time is up;
// then makes sure nothing more follows.
std::string ReadUntil(const Child& child, const std::string& tail) {
    std::string raw;
    const auto deadline = Clock::now() + kOutputTimeout;
    auto complete = [&] {
        const std::string plain = WithoutCr(raw);
        return plain.size() >= tail.size() && plain.compare(plain.size() - tail.size(), tail.size(), tail) == 0;
    };
    while (!complete() && Clock::now() < deadline) {
        pollfd p{child.out, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char chunk[4096];
            const ssize_t got = read(child.out, chunk, sizeof chunk);
            if (got <= 0) {
                break;  // the writer is gone
            }
            raw.append(chunk, static_cast<std::size_t>(got));
        }
    }
    // Anything arriving after the expected end would be output while idle.
    pollfd p{child.out, POLLIN, 0};
    if (poll(&p, 1, 300) > 0) {
        char chunk[4096];
        const ssize_t got = read(child.out, chunk, sizeof chunk);
        if (got > 0) {
            raw.append(chunk, static_cast<std::size_t>(got));
        }
    }
    return WithoutCr(raw);
}

// CPU time (user + system) the process has used, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) {
            utime = std::stol(field);
        } else if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

bool StillRunning(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

// Checks the process idles quietly for a second, then ends it with signal and
// checks it is gone within a second.
void ExpectIdleThenEndBy(Child& child, int signal) {
    ASSERT_TRUE(StillRunning(child.pid));
    const long before = CpuTicks(child.pid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long after = CpuTicks(child.pid);
    ASSERT_TRUE(StillRunning(child.pid)) << "the process left its idle state";
    EXPECT_LE(after - before, sysconf(_SC_CLK_TCK) / 20) << "more than 50 ms of CPU while idle";
    kill(child.pid, signal);
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child.pid, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, &status, 0);
        ADD_FAILURE() << "still running a second after signal " << signal;
    }
    if (child.out >= 0) {
        close(child.out);
    }
    child = {};
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

// Starts the tool in the current scratch folder, waits for output ending in
// tail, checks the idle state and ends the process with signal.
std::string RunToIdle(const ScratchDir& dir, const std::string& tail, int signal = SIGTERM,
                      int ignored = 0, const std::string& preload = "") {
    Child child = Start(dir.Path(), Output::Pipe, ignored, preload);
    EXPECT_GT(child.pid, 0);
    if (child.pid <= 0) {
        return {};
    }
    const std::string output = ReadUntil(child, tail);
    ExpectIdleThenEndBy(child, signal);
    return output;
}

// The sample after its ToDoWave.txt: only CenterFreq (bytes 76-79) and
// Bandwidth (88-91) have changed.
Bytes SampleAfterItsCommands() {
    Bytes bytes = SampleRecording();
    const std::uint8_t centerFreq[4] = {0x10, 0x93, 0x6B, 0x00};  // 7050000
    const std::uint8_t bandwidth[4] = {0x00, 0xEE, 0x02, 0x00};   // 192000
    std::copy(centerFreq, centerFreq + 4, bytes.begin() + 76);
    std::copy(bandwidth, bandwidth + 4, bytes.begin() + 88);
    return bytes;
}

TEST(Process, BundledSampleReportsPatchesAndIdles) {
    const std::string commands = SourceText("sample/ToDoWave.txt");
    const std::string run = SourceText("tests/data/sample_run.txt");
    // A device that refuses the sync: the writes went through, the run says so once.
    std::string syncFailed = run;
    syncFailed.insert(syncFailed.find(kNewHeaderBanner), "Write ERROR\n");
    struct Case {
        const char* name;
        std::string commandFile;
        std::string preload;
        std::string expected;
    };
    // LF and CR LF command files give the same output and the same file.
    const Case cases[] = {
        {"LF", commands, "", run},
        {"CR LF", CrLf(commands), "", run},
        {"fsync fails", commands, kFsyncFails, syncFailed},
    };
    const bool launched = !EnvOr("KALIMBER_LAUNCHER", "").empty();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.expected == syncFailed && (kFsyncFails.empty() || launched)) {
            continue;  // nothing to preload, or a launcher (wine, qemu, valgrind) in between
        }
        ScratchDir dir;
        WriteFileRaw("sample.wav", SampleRecording());
        WriteFileText("ToDoWave.txt", c.commandFile);
        EXPECT_EQ(RunToIdle(dir, c.expected, SIGTERM, 0, c.preload), c.expected);
        EXPECT_TRUE(ReadFileBytes("sample.wav") == SampleAfterItsCommands());
    }
}

TEST(Process, CommandsAreCarriedOutWhenNobodyReadsTheOutput) {
    const bool windows = EndsWith(kExe, ".exe");
    for (const Output output : {Output::ClosedPipe, Output::DevFull, Output::Closed}) {
        SCOPED_TRACE(output == Output::ClosedPipe ? "closed pipe" : output == Output::DevFull ? "/dev/full" : "closed");
        if (output == Output::Closed && windows) {
            continue;  // descriptors 0 and 1 are POSIX's; wine keeps its own
        }
        ScratchDir dir;
        WriteFileRaw("sample.wav", SampleRecording());
        WriteFileText("ToDoWave.txt", SourceText("sample/ToDoWave.txt"));
        Child child = Start(dir.Path(), output);
        ASSERT_GT(child.pid, 0);
        // Nothing to read: the file itself tells when the commands are done.
        const Bytes expected = SampleAfterItsCommands();
        const auto deadline = Clock::now() + kOutputTimeout;
        while (ReadFileBytes("sample.wav") != expected && Clock::now() < deadline &&
               StillRunning(child.pid)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_TRUE(ReadFileBytes("sample.wav") == expected);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the second report
        ExpectIdleThenEndBy(child, SIGTERM);
    }
}

TEST(Process, OpenFailuresPrintTheirMessageAndIdle) {
    const bool windows = EndsWith(kExe, ".exe");
    enum class Setup { Nothing, FolderCommandFile, FolderRecording, FifoCommandFile };
    struct Case {
        const char* name;
        Setup setup;
        std::string expected;
        int signal;   // what ends the idle state
        int ignored;  // left ignored by the parent, 0 for none
    };
    const std::string cantOpen = kBanner + "Can't open ToDoWave.txt\n";
    const Case cases[] = {
        {"no ToDoWave.txt, Ctrl-C", Setup::Nothing, cantOpen, SIGINT, 0},
        {"ToDoWave.txt is a folder", Setup::FolderCommandFile, cantOpen, SIGTERM, 0},
        {"recording is a folder", Setup::FolderRecording, kBanner + "fopen ERROR\n", SIGTERM, 0},
        // Every print reaches the pipe at once, before the tool waits on a FIFO
        // that nobody writes to.
        {"ToDoWave.txt is a FIFO nobody writes to", Setup::FifoCommandFile, kBanner, SIGTERM, 0},
        // The idle state ends on the signal even if the parent ignored it.
        {"Ctrl-C ignored by the parent", Setup::Nothing, cantOpen, SIGINT, SIGINT},
        {"SIGTERM ignored by the parent", Setup::Nothing, cantOpen, SIGTERM, SIGTERM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (windows && (c.setup == Setup::FifoCommandFile || c.ignored == SIGTERM)) {
            // No FIFOs there, and no SIGTERM for a Windows program: wine,
            // not the .exe, decides what a SIGTERM ignored from the start does.
            continue;
        }
        ScratchDir dir;
        if (c.setup == Setup::FolderCommandFile) {
            std::filesystem::create_directory("ToDoWave.txt");
        } else if (c.setup == Setup::FolderRecording) {
            std::filesystem::create_directory("folder.wav");
            WriteFileText("ToDoWave.txt", "folder.wav\nWCF 1\n");
        } else if (c.setup == Setup::FifoCommandFile) {
            ASSERT_EQ(mkfifo("ToDoWave.txt", 0600), 0);
        }
        EXPECT_EQ(RunToIdle(dir, c.expected, c.signal, c.ignored), c.expected);
    }
}

TEST(Process, CommandFilesInEveryEncodingNameTheirRecording) {
    // Windows names are Unicode; wine keeps them on disk as UTF-8.
    const bool windows = EndsWith(kExe, ".exe");
    const std::string bom = "\xEF\xBB\xBF";
    const std::string accents = "Aufnahme M\xC3\xA4rz \xC3\xA9.wav";
    const std::string cjk = "\xE5\xBD\x95\xE9\x9F\xB3.wav";
    const std::string ctrlZ = "\xC4\x9A.wav";  // U+011A: UTF-16 LE 1A 01
    struct Case {
        const char* name;
        std::string commandFile;
        std::string selected;     // the bytes of the selected-file line
        std::string unicodeName;  // the recording's name as UTF-8, for Windows
        std::uint32_t centerFreq;
        std::string laterMessages = "";  // printed after the command's message
    };
    const Case cases[] = {
        {"UTF-8 accents", accents + "\nWCF 11\n", accents, accents, 11},
        {"UTF-8 CJK", cjk + "\r\nWCF 12\r\n", cjk, cjk, 12},
        {"UTF-8 BOM, ASCII name", bom + "r.wav\r\nWCF 13\r\n", "r.wav", "r.wav", 13},
        {"UTF-8 BOM, non-ASCII name", bom + accents + "\nWCF 14\n", accents, accents, 14},
        {"UTF-16 LE", Utf16CommandFile(u"Aufnahme M\u00E4rz \u00E9.wav\r\nWCF 15\r\n", false),
         accents, accents, 15},
        {"UTF-16 BE", Utf16CommandFile(u"\u5F55\u97F3.wav\r\nWCF 16\r\n", true), cjk, cjk, 16},
        {"UTF-16 0x1A byte", Utf16CommandFile(u"\u011A.wav\r\nWCF 17\r\n", false), ctrlZ, ctrlZ, 17},
        {"ANSI Windows-1252", "Aufnahme M\xE4rz \xE9.wav\r\nWCF 18\r\n",
         "Aufnahme M\xE4rz \xE9.wav", accents, 18},
        // As a text-mode read on Windows: Ctrl-Z ends a file without a UTF-16 mark.
        {"Ctrl-Z", "r.wav\r\nWCF 19\r\n\x1AWCF 20\r\n", "r.wav", "r.wav", 19,
         windows ? "" : "Wrong Command\n"},
        {"Ctrl-Z after a UTF-8 BOM", bom + "r.wav\nWCF 21\n\x1AWCF 22\n", "r.wav", "r.wav", 21,
         windows ? "" : "Wrong Command\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string recording = windows ? c.unicodeName : c.selected;
        Bytes after = WellFormedRecording();
        WriteFileRaw(recording, after);
        const std::string before = ReportOf(recording);
        after[76] = static_cast<std::uint8_t>(c.centerFreq);
        after[77] = after[78] = after[79] = 0;
        WriteFileRaw("after.wav", after);
        const std::string expected = kBanner + "Selected file: \n" + c.selected + "\n\n" + kRule +
                                     "\n" + before + kCmdListBanner + "Cmd Write CenterFreq: " +
                                     std::to_string(c.centerFreq) + "[Hz]\n" + c.laterMessages +
                                     kNewHeaderBanner +
                                     ReportOf("after.wav");
        WriteFileText("ToDoWave.txt", c.commandFile);
        EXPECT_EQ(RunToIdle(dir, expected), expected);
        EXPECT_TRUE(ReadFileBytes(recording) == after);
    }
}

// The report of a header that is all zero bytes, as /dev/full reads.
std::string ZeroHeaderReport() {
    const std::string id = std::string("   CnkId: ") + std::string(4, '\0') + "\n";
    std::string r = "---RIFF Chunk---\n" + id + "   CnkSize: 0\n   CnkFormat: " + std::string(4, '\0') +
                    "\n---FMT Chunk---\n" + id +
                    "   CnkSize: 0\n   CnkAudioFormat: 0 (WRONG FORMAT)\n   CnkNumChan: 0\n"
                    "   CnkSampleRate: 0\n   CnkByteRate: 0\n   CnkBlockAlign: 0\n"
                    "   CnkBitPerSample 0\n---AUXI Chunk---\n" + id +
                    "   CnkSize: 0\n   StartTime: 0/0/0  0:0:0:0\n   StopTime:  0/0/0  0:0:0:0\n";
    for (const char* label : {"CenterFreq", "ADFrequency", "IFFrequency", "Bandwidth", "IQOffset",
                              "DBOffset", "MaxVal", "Unused4", "Unused5"}) {
        r += std::string("   ") + label + ": 0\n";
    }
    r += "   NextFileName: \n---ORVA Chunk---\n" + id +
         "   CnkSize: 0\n   LocalToUTC: 0\n   LastDemodFreq: 0\n   LastDemodBw: 0\n"
         "   LastDemodMode: 0\n   Filter: 0\n   Attenuator: 0\n   VID: 0000\n   PID: 0000\n"
         "   SN: \n   RxMode: 0\n   Options1: 0\n   Options2: 0\n   Version: 0\n";
    for (int i = 1; i <= 9; ++i) {
        r += "   Unused" + std::to_string(i) + ": 0\n";
    }
    return r + "---DATA Chunk---\n" + id +
           "   CnkSize: 0\n---Additional Information---\nThis is not an ORVA .wav file!!!\n";
}

TEST(Process, NothingIsWrittenIntoAFileThatIsNoRecording) {
    const bool windows = EndsWith(kExe, ".exe");
    // What a run prints up to its command list, for a file that reads as zeros.
    auto zeroHeaderRun = [](const std::string& path) {
        return kBanner + "Selected file: \n" + path + "\n\n" + kRule + "\n" + ZeroHeaderReport() +
               kCmdListBanner;
    };
    enum class Kind { PlainWav, Device, Fifo };
    struct Case {
        const char* name;
        Kind kind;
        std::string path;
        std::string commands;
        std::string messages;
    };
    const Case cases[] = {
        {"plain WAV", Kind::PlainWav, "plain.wav", "WCF 7074000\nWBW 3000\n",
         kNotWritten + kNotWritten},
        // Reads as zeros and refuses every write.
        {"/dev/full", Kind::Device, "/dev/full", "WCF 5\nWBW 6\n", kNotWritten + kNotWritten},
        // Cannot be positioned: nothing is read from it, so the run never blocks.
        {"FIFO, no command", Kind::Fifo, "fifo.wav", "", ""},
        {"FIFO, WCF 5", Kind::Fifo, "fifo.wav", "WCF 5\n", kNotWritten},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (windows && c.kind != Kind::PlainWav) {
            continue;  // no /dev/full and no FIFOs there
        }
        ScratchDir dir;
        std::string expected;
        if (c.kind == Kind::PlainWav) {
            WriteFileRaw(c.path, PlainWav(400));
            expected = ExpectedRunOutput(c.path, PlainWav(400), c.messages, {});
        } else {
            if (c.kind == Kind::Fifo) {
                ASSERT_EQ(mkfifo(c.path.c_str(), 0600), 0);
            }
            expected = zeroHeaderRun(c.path) + c.messages;
        }
        WriteFileText("ToDoWave.txt", c.path + "\n" + c.commands);
        EXPECT_EQ(RunToIdle(dir, expected), expected);
        if (c.kind == Kind::PlainWav) {
            EXPECT_TRUE(ReadFileBytes(c.path) == PlainWav(400));
        }
    }
}

TEST(Process, SparseTwentyGiBRecordingShowsItsDuration) {
    ScratchDir dir;
    MakeSparseRecording("big.wav", sample::MakeHeader(0), 20LL << 30);
    WriteFileText("ToDoWave.txt", "big.wav\n");
    // (21474836480 - 316) / 12288 = 1747626 blocks of 3072 frames at 192 kHz: * 16 ms.
    const std::string tail = "   WavFileDurationMillisec: 27962016\n" + kCmdListBanner;
    const std::string output = RunToIdle(dir, tail, SIGINT);
    ASSERT_GE(output.size(), tail.size());
    EXPECT_EQ(output.substr(output.size() - tail.size()), tail);
    EXPECT_EQ(std::filesystem::file_size("big.wav"), 20ULL << 30);
}

}  // namespace
}  // namespace kalimber::test
