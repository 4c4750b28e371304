// The process tests' harness: the tool started through its launcher with
// limits, both outputs read to their end, and the runner of a table's rows.
#include "tests/process_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "tests/expected_text.h"

namespace kalimber::test {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

const std::string kExe = std::filesystem::absolute(EnvOr("KALIMBER_EXE", KALIMBER_EXE)).string();

// In a child process: becomes the tool with arguments, through the launcher,
// which may carry words of its own ("valgrind --quiet").
[[noreturn]] void ExecTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> words;
    std::istringstream launcherWords(EnvOr("KALIMBER_LAUNCHER", ""));
    for (std::string word; launcherWords >> word;) {
        words.push_back(word);
    }
    words.push_back(kExe);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

#if defined(KALIMBER_SLOW_OPEN)
const std::string kSlowOpen = KALIMBER_SLOW_OPEN;
#else
const std::string kSlowOpen;
#endif
#if defined(KALIMBER_FSYNC_FAILS)
const std::string kFsyncFails = KALIMBER_FSYNC_FAILS;
#else
const std::string kFsyncFails;
#endif

std::string WithoutCr(const std::string& text) {
    std::string plain;
    for (char c : text) {
        if (c != '\r') {
            plain += c;
        }
    }
    return plain;
}

std::string SourceText(const std::string& relative) {
    const Bytes bytes = ReadFileBytes(std::string(KALIMBER_SOURCE_DIR) + "/" + relative);
    return std::string(bytes.begin(), bytes.end());
}



Bytes SampleRecording() {
    return ReadFileBytes(std::string(KALIMBER_SOURCE_DIR) + "/sample/sample.wav");
}

// Limits with one thing set, for the rows of a table.
Limits FileSizeLimit(rlim_t bytes) {
    Limits limits;
    limits.fileSize = bytes;
    return limits;
}
Limits FileSizeLimitWithItsSignal(rlim_t bytes) {
    Limits limits = FileSizeLimit(bytes);
    limits.sizeSignal = true;
    return limits;
}
Limits Interrupted(const std::string& ms, int signal, bool twice) {
    Limits limits;
    limits.slowOpenMs = ms;
    limits.signal = signal;
    limits.twice = twice;
    return limits;
}
Limits OpenFilesLimit(rlim_t files) {
    Limits limits;
    limits.openFiles = files;
    return limits;
}
Limits FsyncFailing(const std::string& preload, const std::string& at) {
    Limits limits;
    limits.preload = preload;
    limits.failAt = at;
    return limits;
}
Limits OutputTo(Output output) {
    Limits limits;
    limits.output = output;
    return limits;
}
// Each .wav file takes ms milliseconds to open; standard error a terminal.
Limits SlowOpens(const std::string& ms, unsigned short columns) {
    Limits limits;
    limits.slowOpenMs = ms;
    limits.errorsOnTerminal = true;
    limits.columns = columns;
    return limits;
}
Limits Before(std::function<void()> hook) {
    Limits limits;
    limits.before = std::move(hook);
    return limits;
}
Limits OnFirstOutput(std::function<void()> hook, bool errorsOnTerminal) {
    Limits limits;
    limits.onFirstOutput = std::move(hook);
    limits.errorsOnTerminal = errorsOnTerminal;
    return limits;
}

// Runs the tool with arguments in folder and reads both outputs to their end;
// the process must then have exited by itself, never idled.
Exit RunToExit(const std::string& folder, const std::vector<std::string>& arguments,
               const Limits& limits) {
    int out[2];
    int err[2];
    winsize size{};
    size.ws_row = 24;
    size.ws_col = limits.columns;
    if (pipe(out) != 0 || (limits.errorsOnTerminal ? openpty(&err[0], &err[1], nullptr, nullptr, &size)
                                                   : pipe(err)) != 0) {
        return {};
    }
    if (limits.output != Output::Pipe) {
        close(out[0]);  // nobody reads
        out[0] = -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(limits.output == Output::DevFull ? open("/dev/full", O_WRONLY) : out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        for (const int fd : {out[0], out[1], err[0], err[1]}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        if (limits.output == Output::Closed) {
            close(STDOUT_FILENO);
        }
        if (limits.fileSize != RLIM_INFINITY) {
            signal(SIGXFSZ, limits.sizeSignal ? SIG_DFL : SIG_IGN);
            const rlimit limit{limits.fileSize, limits.fileSize};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (limits.openFiles != RLIM_INFINITY) {
            const rlimit limit{limits.openFiles, limits.openFiles};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        if (!limits.slowOpenMs.empty()) {
            setenv("LD_PRELOAD", kSlowOpen.c_str(), 1);
            setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
            setenv("KALIMBER_SLOW_OPEN_MS", limits.slowOpenMs.c_str(), 1);
        }
        if (!limits.preload.empty()) {
            setenv("LD_PRELOAD", limits.preload.c_str(), 1);
            setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
            setenv("KALIMBER_FSYNC_FAILS_AT", limits.failAt.c_str(), 1);
        }
        if (chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        ExecTool(arguments);
    }
    close(out[1]);
    close(err[1]);
    Exit result;
    std::string raw[2];
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto deadline = Clock::now() + kOutputTimeout;
    int open = out[0] >= 0 ? 2 : 1;
    bool told = limits.onFirstOutput == nullptr;
    bool signalled = false;
    while (open > 0 && Clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) != 0) {
                char chunk[4096];
                const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
                if (got > 0) {
                    raw[i].append(chunk, static_cast<std::size_t>(got));
                    if (i == 0 && limits.signal != 0 && !signalled && raw[0].find('\n') != std::string::npos) {
                        signalled = true;
                        kill(pid, limits.signal);
                        if (limits.twice) {
                            std::this_thread::sleep_for(std::chrono::milliseconds(20));
                            kill(pid, limits.signal);
                        }
                    }
                    if (i == 0 && !told && raw[0].size() > kBanner.size()) {
                        told = true;
                        limits.onFirstOutput();
                    }
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    int status = 0;
    const auto exitDeadline = Clock::now() + std::chrono::seconds(5);
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < exitDeadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the command-line run did not exit by itself";
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            close(fd.fd);
        }
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = WithoutCr(raw[0]);
    result.err = WithoutCr(raw[1]);
    result.rawErr = raw[1];
    return result;
}


TEST_P(CommandLineRow, ReportsOrPatchesAndExits) {
    const Case& c = GetParam();
    const bool windows = EndsWith(kExe, ".exe");
    const bool launched = !EnvOr("KALIMBER_LAUNCHER", "").empty();
    if ((c.where == Where::WindowsOnly && !windows) || (c.where == Where::LinuxOnly && windows) ||
        (c.where == Where::Direct && (windows || launched)) || (!c.limits.failAt.empty() && kFsyncFails.empty()) ||
        (!c.limits.slowOpenMs.empty() && kSlowOpen.empty())) {
        GTEST_SKIP() << "not for this build";
    }
    ScratchDir dir;
    for (const File& f : c.files) {
        std::filesystem::create_directories(std::filesystem::path(f.path).parent_path().empty()
                                                ? "."
                                                : std::filesystem::path(f.path).parent_path());
        WriteFileRaw(f.path, f.bytes);
    }
    // An hour ago: a file that is not written keeps this time.
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const File& f : c.files) {
        std::filesystem::last_write_time(f.path, past);
    }
    if (c.limits.before) {
        c.limits.before();
    }
    const Exit e = RunToExit(dir.Path(), c.arguments, c.limits);
    EXPECT_EQ(e.status, c.status);
    if (c.out != "*") {
        EXPECT_EQ(e.out, c.out);
    }
    if (c.err != "*") {
        EXPECT_EQ(e.err, c.err);
    }
    EXPECT_EQ(e.out.find("Press Enter"), std::string::npos);
    if (c.check) {
        c.check(e);
    }
    for (const File& f : c.files) {
        SCOPED_TRACE(f.path);
        if (std::filesystem::is_fifo(f.path)) {
            continue;  // made one while the tool ran
        }
        const Bytes& want = f.after.empty() ? f.bytes : f.after;
        EXPECT_TRUE(ReadFileBytes(f.path) == want);
        if (f.after.empty()) {
            EXPECT_TRUE(std::filesystem::last_write_time(f.path) == past) << "written, though unchanged";
        }
    }
}

std::string RowName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        const bool word = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (word) {
            name += *c;
        } else if (name.back() != '_') {
            name += '_';
        }
    }
    while (name.back() == '_') {
        name.pop_back();
    }
    return name;
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

}  // namespace kalimber::test
