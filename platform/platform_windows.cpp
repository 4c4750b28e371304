// The Windows side of the platform calls: wide paths and arguments, the console,
// 64-bit positions through the C runtime, and _commit for sync.
#include "platform/platform.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <iterator>
#include <string_view>

#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/system_calls.h"
#include "platform/unicode.h"

namespace kalimber {

namespace os {

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

// Alone on its console, and reading from it: a window Explorer opened. With
// its input redirected (a script), nobody could press Enter.
bool OwnsConsoleAlone() {
    DWORD processes[2] = {};
    DWORD mode = 0;
    return GetConsoleProcessList(processes, 2) == 1 && GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

void WaitForEnter() {
    const HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return;
    }
    static constexpr wchar_t kPrompt[] = L"Press Enter to close this window.";
    DWORD written = 0;
    WriteConsoleW(out, kPrompt, static_cast<DWORD>(std::size(kPrompt) - 1), &written, nullptr);
    CloseHandle(out);
    const HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
        return;
    }
    wchar_t typed[256];
    DWORD got = 0;
    // A line-mode console hands over a line once Enter is pressed.
    while (ReadConsoleW(in, typed, static_cast<DWORD>(std::size(typed)), &got, nullptr) != 0 && got > 0 &&
           std::wstring_view(typed, got).find(L'\n') == std::wstring_view::npos) {
    }
    CloseHandle(in);
}

// Windows keeps names in UTF-16; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide) {
    std::string text;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char16_t>(wide[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(wide[++i]) - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = ReplacementCharacter;
        }
        std::uint8_t bytes[4];
        text.append(reinterpret_cast<const char*>(bytes), EncodeUtf8(c, bytes));
    }
    return text;
}

}  // namespace os

using namespace os;

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return _fseeki64(file, offset, origin) == 0;
}

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(WideToUtf8(words[i]));
    }
    LocalFree(words);
    return arguments;
}

std::filesystem::path PathFromText(const std::string& text) {
    std::u16string name;
    if (!Utf8ToUtf16(text, name)) {
        return std::filesystem::path(text);  // not UTF-8: the ANSI code page's reading
    }
    return std::filesystem::path(std::wstring(name.begin(), name.end()));
}

std::string PathText(const std::filesystem::path& path) {
    return WideToUtf8(path.native());
}

bool NameStaysInFolder(std::string_view name) {
    return name.find(':') == std::string_view::npos;
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}

std::int64_t TellFile(std::FILE* file) {
    return _ftelli64(file);
}

std::FILE* OpenRecording(const std::filesystem::path& path, bool update, std::string& error, OpenedFile* opened) {
    errno = 0;
    std::FILE* file = _wfopen(path.c_str(), update ? L"rb+" : L"rb");
    if (file == nullptr) {
        error = std::strerror(errno != 0 ? errno : ENOENT);
        return nullptr;
    }
    // A pipe, the console or another device is no recording.
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        error = "not a regular file";
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IONBF, 0);
    BY_HANDLE_FILE_INFORMATION information{};
    if (opened != nullptr &&
        GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &information) != 0) {
        opened->Identity.Volume = information.dwVolumeSerialNumber;
        opened->Identity.Index =
            (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        opened->Identified = true;
        const std::uint64_t size =
            (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
        opened->Size = size <= static_cast<std::uint64_t>(INT64_MAX) ? static_cast<std::int64_t>(size) : -1;
    }
    return file;
}

std::int64_t ReadRecordingStart(const std::filesystem::path& path, void* bytes, std::size_t length,
                                std::string& error, OpenedFile& opened) {
    std::FILE* file = OpenRecording(path, false, error, &opened);
    if (file == nullptr) {
        return -1;
    }
    const std::size_t got = std::fread(bytes, 1, length, file);
    if (opened.Size < 0) {
        opened.Size = FileSize(file);
    }
    if (!opened.Identified) {
        opened.Identified = IdentifyFile(file, opened.Identity);
    }
    std::fclose(file);
    return static_cast<std::int64_t>(got);
}

void OpenClosedStandardDescriptors() {}

bool SystemWildcardMatches(const std::filesystem::path& folder, const std::string& pattern,
                           std::vector<std::string>& names) {
    WIN32_FIND_DATAW found{};
    const std::filesystem::path search = folder / PathFromText(pattern);
    const HANDLE find = FindFirstFileExW(search.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return true;  // nothing matches, or no such folder
    }
    do {
        const std::wstring_view name(found.cFileName);
        if (name != L"." && name != L"..") {
            names.push_back(WideToUtf8(name));
        }
    } while (FindNextFileW(find, &found) != 0);
    FindClose(find);
    return true;
}

bool IsTerminal(std::FILE* stream) {
    return ConsoleHandle(stream) != nullptr;
}

std::size_t TerminalColumns(std::FILE* stream) {
    const HANDLE console = ConsoleHandle(stream);
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (console == nullptr || GetConsoleScreenBufferInfo(console, &screen) == 0 ||
        screen.srWindow.Right < screen.srWindow.Left) {
        return 0;
    }
    return static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left) + 1;
}

bool IdentifyPath(const std::filesystem::path& path, FileIdentity& identity) {
    // No access asked for: the file's information only, never its data.
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (known) {
        identity.Volume = information.dwVolumeSerialNumber;
        identity.Index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    }
    return known;
}

bool IdentifyRegularFile(const std::filesystem::path& path, FileIdentity& identity) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && IdentifyPath(path, identity);
}

bool IdentifyFile(std::FILE* file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &information) == 0) {
        return false;
    }
    identity.Volume = information.dwVolumeSerialNumber;
    identity.Index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

bool GetModificationTime(std::FILE* file, FileTime& time) {
    FILETIME written{};
    if (GetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), nullptr, nullptr, &written) == 0) {
        errno = EACCES;
        return false;
    }
    time.Seconds = static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) |
                                             written.dwLowDateTime);
    time.Nanoseconds = 0;
    return true;
}

bool SetModificationTime(std::FILE* file, const FileTime& time) {
    const auto ticks = static_cast<std::uint64_t>(time.Seconds);
    const FILETIME written{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    if (SetFileTime(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), nullptr, nullptr, &written) == 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

int WriteErrorNumber(int error) {
    // The C runtime keeps the system's own code of its last failure: a pipe
    // being closed, or (as wine says it) one with nobody at its other end.
    const unsigned long system = _doserrno;
    return system == ERROR_NO_DATA || system == ERROR_BROKEN_PIPE || system == ERROR_PIPE_NOT_CONNECTED ? EPIPE
                                                                                                        : error;
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

}  // namespace kalimber
