// The POSIX side of the platform calls: paths as bytes, 64-bit positions through
// fseeko, and fsync; no console of its own to speak to.
#include "platform/platform.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <iterator>
#include <string_view>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/system_calls.h"
#include "platform/unicode.h"

namespace kalimber {

namespace os {

static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");

bool Sync(std::FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool IsConsole(std::FILE*) {
    return false;  // a terminal shows the path's bytes as they are
}

void WriteConsoleLine(std::FILE*, const std::u16string&) {}

std::u16string DecodeAnsi(std::string_view bytes) {
    return std::u16string(bytes.begin(), bytes.end());  // never asked for: no console
}

bool OwnsConsoleAlone() {
    return false;  // a terminal stays open after its programs end
}

void WaitForEnter() {}

}  // namespace os

using namespace os;

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::filesystem::path PathFromText(const std::string& text) {
    return std::filesystem::path(text);
}

std::string PathText(const std::filesystem::path& path) {
    return path.native();
}

bool NameStaysInFolder(std::string_view) {
    return true;  // only / separates, and a bare name holds none
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::int64_t TellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

std::FILE* OpenRecording(const std::filesystem::path& path, bool update, std::string& error, OpenedFile* opened) {
    // Non-blocking, so that a FIFO put in a recording's place is not waited
    // on. Once fstat has shown a regular file the flag may stay: a regular
    // file always has its data (or its end) at hand, so no read or write of
    // it waits or fails for O_NONBLOCK.
    const int fd = open(path.c_str(), (update ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat status {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::FILE* file = nullptr;
    if (!regular) {
        error = "not a regular file";
    } else if ((file = fdopen(fd, update ? "rb+" : "rb")) == nullptr) {
        error = std::strerror(errno);
    }
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (opened != nullptr) {
        opened->Identity.Volume = static_cast<std::uint64_t>(status.st_dev);
        opened->Identity.Index = static_cast<std::uint64_t>(status.st_ino);
        opened->Identified = true;
        opened->Size = static_cast<std::int64_t>(status.st_size);
    }
    return file;
}

std::int64_t ReadRecordingStart(const std::filesystem::path& path, void* bytes, std::size_t length,
                                std::string& error, OpenedFile& opened) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // as OpenRecording opens it
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    const bool known = fstat(fd, &status) == 0;
    if (known) {  // a FIFO named twice is told apart too
        opened.Identity.Volume = static_cast<std::uint64_t>(status.st_dev);
        opened.Identity.Index = static_cast<std::uint64_t>(status.st_ino);
        opened.Identified = true;
    }
    if (!known || !S_ISREG(status.st_mode)) {
        close(fd);
        error = "not a regular file";
        return -1;
    }
    opened.Size = static_cast<std::int64_t>(status.st_size);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = read(fd, static_cast<char*>(bytes) + got, length - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            break;  // the end, or a read that fails: what came so far counts, as with fread
        }
    }
    close(fd);
    return static_cast<std::int64_t>(got);
}

int WriteErrorNumber(int error) {
    return error;
}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

std::size_t TerminalColumns(std::FILE* stream) {
    winsize size{};
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool IdentifyPath(const std::filesystem::path& path, FileIdentity& identity) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return false;
    }
    identity.Volume = static_cast<std::uint64_t>(status.st_dev);
    identity.Index = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

bool IdentifyRegularFile(const std::filesystem::path& path, FileIdentity& identity) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    identity.Volume = static_cast<std::uint64_t>(status.st_dev);
    identity.Index = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

bool IdentifyFile(std::FILE* file, FileIdentity& identity) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0) {
        return false;
    }
    identity.Volume = static_cast<std::uint64_t>(status.st_dev);
    identity.Index = static_cast<std::uint64_t>(status.st_ino);
    return true;
}

bool GetModificationTime(std::FILE* file, FileTime& time) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0) {
        return false;
    }
    time.Seconds = static_cast<std::int64_t>(status.st_mtim.tv_sec);
    time.Nanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    return true;
}

bool SetModificationTime(std::FILE* file, const FileTime& time) {
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;  // the access time as it is
    times[1].tv_sec = static_cast<time_t>(time.Seconds);
    times[1].tv_nsec = static_cast<long>(time.Nanoseconds);
    return futimens(fileno(file), times) == 0;
}

bool SystemWildcardMatches(const std::filesystem::path&, const std::string&, std::vector<std::string>&) {
    return false;
}

void OpenClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor: this one, as the ones below it are open.
            const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (opened > fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
}

std::FILE* OpenByUnicodeName(const std::u16string&, const char*) {
    errno = ENOENT;
    return nullptr;
}

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void IdleForever() {
    // A parent may have left these ignored; the idle state must still end on them.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    for (;;) {
        pause();
    }
}

}  // namespace kalimber
