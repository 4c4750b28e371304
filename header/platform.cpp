// The Windows and POSIX sides of the platform calls. This is the one file
// where the two systems differ; the rest of the tool is the same on both.
#include "header/platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace kalimber {

#if defined(_WIN32)

namespace {

bool Sync(std::FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

// The console behind a stream, or nullptr where it is a pipe, a file or nothing.
HANDLE ConsoleHandle(std::FILE* stream) {
    const int fd = _fileno(stream);
    if (fd < 0) {
        return nullptr;
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode) == 0) {
        return nullptr;
    }
    return handle;
}

bool IsConsole(std::FILE* stream) {
    return ConsoleHandle(stream) != nullptr;
}

void WriteConsoleLine(std::FILE* stream, const std::u16string& characters) {
    const HANDLE console = ConsoleHandle(stream);
    if (console == nullptr) {
        return;
    }
    std::wstring text(characters.begin(), characters.end());
    text += L"\r\n";
    DWORD written = 0;
    WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::u16string DecodeAnsi(std::string_view bytes) {
    // Command-file lines are at most 1023 bytes, far below INT_MAX.
    const int size = static_cast<int>(bytes.size());
    const int length = size == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    }
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return _fseeki64(file, offset, origin) == 0;
}

std::int64_t TellFile(std::FILE* file) {
    return _ftelli64(file);
}

std::FILE* OpenByUnicodeName(const std::u16string& name, const char* mode) {
    const std::wstring wideName(name.begin(), name.end());
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(wideName.c_str(), wideMode.c_str());
}

void IgnoreBrokenPipe() {}  // a write to a closed pipe fails; nothing ends the process

void IdleForever() {
    for (;;) {
        Sleep(INFINITE);
    }
}

#else

namespace {

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

}  // namespace

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
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

#endif

namespace {
constexpr PlatformCalls kSystemCalls{&Sync, &IsConsole, &WriteConsoleLine, &DecodeAnsi};
}  // namespace

PlatformCalls g_Platform = kSystemCalls;

PlatformCalls SystemCalls() {
    return kSystemCalls;
}

}  // namespace kalimber
