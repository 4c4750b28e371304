// The harness of the process tests: the real executable started with
// arguments, limits and files, and a table row's shape and runner.
#pragma once

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace kalimber::test {

using Clock = std::chrono::steady_clock;

std::string EnvOr(const char* name, const std::string& fallback);

// The tool, resolved at start-up, before any test changes the working directory.
extern const std::string kExe;

// The first start of a fresh wine prefix takes several seconds.
inline constexpr auto kOutputTimeout = std::chrono::seconds(60);

// Libraries preloaded into the tool: an open that is slow for .wav files,
// and an fsync that fails; empty where the build has none.
extern const std::string kSlowOpen;
extern const std::string kFsyncFails;

// Where the tool's standard output goes: a pipe the test reads, a pipe whose
// reading end is closed before the tool starts, /dev/full, or nowhere (the
// descriptor closed, as by >&-).
enum class Output { Pipe, ClosedPipe, DevFull, Closed };

// In a child process: becomes the tool with arguments, through the launcher,
// which may carry words of its own ("valgrind --quiet").
[[noreturn]] void ExecTool(const std::vector<std::string>& arguments);

std::string WithoutCr(const std::string& text);

// A file of the project's sources, as text.
std::string SourceText(const std::string& relative);

// The bundled sample recording.
Bytes SampleRecording();

// What a command-line run left: its exit status and both outputs, CR removed.
struct Exit {
    int status = -1;
    std::string out;
    std::string err;
    std::string rawErr;  // as it came, CR included
};

// How a command-line run is started besides its arguments.
struct Limits {
    rlim_t fileSize = RLIM_INFINITY;  // RLIMIT_FSIZE, with SIGXFSZ ignored
    bool sizeSignal = false;          // with fileSize: SIGXFSZ left at its default, as a shell leaves it
    int signal = 0;                   // sent once standard output holds a line (twice with twice)
    bool twice = false;
    rlim_t openFiles = RLIM_INFINITY;  // RLIMIT_NOFILE
    std::string preload;              // a library in LD_PRELOAD
    std::string failAt;               // which fsync of the preloaded library fails
    std::string slowOpenMs;           // with kSlowOpen preloaded: how long each .wav takes to open
    Output output = Output::Pipe;
    bool errorsOnTerminal = false;  // standard error a pseudo-terminal, not a pipe
    unsigned short columns = 0;     // with errorsOnTerminal: how wide it says it is (0: it will not say)
    // Called in the scratch folder before the tool starts, for what a row's
    // files cannot be (a FIFO, a link).
    std::function<void()> before = nullptr;
    // Called once standard output holds more than the banner: the tool has
    // listed its folders and, on a pipe it cannot empty, waits there.
    std::function<void()> onFirstOutput = nullptr;
};

// Limits with one thing set, for the rows of a table.
Limits FileSizeLimit(rlim_t bytes);
// The same, SIGXFSZ left at its default.
Limits FileSizeLimitWithItsSignal(rlim_t bytes);
// Each .wav file takes ms to open, and signal is sent (twice with twice) once a line is out.
Limits Interrupted(const std::string& ms, int signal, bool twice = false);
Limits OpenFilesLimit(rlim_t files);
Limits FsyncFailing(const std::string& preload, const std::string& at);
Limits OutputTo(Output output);
// Each .wav file takes ms milliseconds to open; standard error a terminal.
Limits SlowOpens(const std::string& ms, unsigned short columns = 0);
Limits Before(std::function<void()> hook);
Limits OnFirstOutput(std::function<void()> hook, bool errorsOnTerminal = false);

// Runs the tool with arguments in folder and reads both outputs to their end;
// the process must then have exited by itself, never idled.
Exit RunToExit(const std::string& folder, const std::vector<std::string>& arguments, const Limits& limits = {});

// A row of the command-line table: files to make, the arguments, and what
// the run must exit with and print; the files afterwards as each row says.
enum class Where { Everywhere, LinuxOnly, WindowsOnly, Direct };  // Direct: Linux, no launcher
struct File {
    std::string path;
    Bytes bytes;
    Bytes after;  // empty: the same bytes afterwards
};
struct Case {
    const char* name;
    Where where;
    std::vector<File> files;
    std::vector<std::string> arguments;
    int status;
    std::string out;  // nullopt-like: "*" skips the comparison (checked by check)
    std::string err;  // "*" skips the comparison too
    Limits limits = {};
    std::function<void(const Exit&)> check = nullptr;
};
// A row shows as its name in gtest's messages.
void PrintTo(const Case& c, std::ostream* out);

// Each row a test of its own, so that one can be run alone:
// --gtest_filter='*CommandLineRow*a_fork*'; a table of rows is instantiated
// in the file that builds it.
class CommandLineRow : public ::testing::TestWithParam<Case> {};

// A row's name as a test name: its index, its letters and digits, _ between words.
std::string RowName(const ::testing::TestParamInfo<Case>& info);


}  // namespace kalimber::test
