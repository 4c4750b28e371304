// Everything that differs between Windows and POSIX systems, in one place:
// 64-bit file positions, syncing, Unicode names, the console, pipes, idling.
#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalimber {

// Positions the stream with a 64-bit offset (recordings often exceed 4 GiB);
// origin is SEEK_SET, SEEK_CUR or SEEK_END. Returns true on success.
bool SeekFile(std::FILE* file, std::int64_t offset, int origin);

// The stream's position as a signed 64-bit byte count, -1 on failure.
std::int64_t TellFile(std::FILE* file);

// The file's size in bytes from a seek to its end and a tell, -1 where it
// cannot be positioned (a pipe, some devices). Leaves the file at its end.
std::int64_t FileSize(std::FILE* file);

// The command line's arguments after the program's name: on Windows read
// as UTF-16 from the system and given as UTF-8, elsewhere the bytes as passed.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Names as the command line and the output carry them (UTF-8 on Windows,
// the bytes as they are elsewhere) and as the system's paths.
std::filesystem::path PathFromText(const std::string& text);
std::string PathText(const std::filesystem::path& path);

// True when a bare file name (no / or \ in it) stays in the folder it is
// looked up in: on Windows a colon makes it drive-relative or a stream.
bool NameStaysInFolder(std::string_view name);

// Opens a file by its path with a stdio mode such as "rb".
std::FILE* OpenPath(const std::filesystem::path& path, const char* mode);

// A file's modification time as the system keeps it, to be put back.
struct FileTime {
    std::int64_t Seconds = 0;      // POSIX: since 1970; Windows: 100 ns ticks since 1601
    std::int64_t Nanoseconds = 0;  // POSIX only
};

// Reads and sets the modification time of an open file (set: leaving its
// access time alone). False on failure, with errno set.
bool GetModificationTime(std::FILE* file, FileTime& time);
bool SetModificationTime(std::FILE* file, const FileTime& time);

// True when the stream is a terminal: a tty on POSIX, a console window on
// Windows (never a file or a pipe).
bool IsTerminal(std::FILE* stream);

// How many columns wide the terminal of the stream is; 0 where it is no
// terminal or will not say.
std::size_t TerminalColumns(std::FILE* stream);

// What tells one file from another however it is named (twice, through a
// folder, d//a.wav, another case on Windows, a link): device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t Volume = 0;
    std::uint64_t Index = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file a path names, links followed; false where the
// file cannot be found.
bool IdentifyPath(const std::filesystem::path& path, FileIdentity& identity);

// The same for a regular file (a link followed); false for a folder, a
// device or a FIFO too. One stat on POSIX.
bool IdentifyRegularFile(const std::filesystem::path& path, FileIdentity& identity);

// The identity of an open file, asked of the system without a name.
bool IdentifyFile(std::FILE* file, FileIdentity& identity);

// The errno of a write that just failed, with a reader that has gone always
// EPIPE: Windows' C runtime gives EINVAL for a pipe that is being closed.
int WriteErrorNumber(int error);

// Opens a recording for the command line, read-only or for update, and
// unbuffered: never waiting on a FIFO or a device, and refusing whatever is
// not a regular file at the moment it is opened ("not a regular file"). On
// failure returns nullptr and sets error to the reason.
// opened, where given, is told what the system said of the file as it
// checked it: its identity and its size (-1 where it said nothing).
struct OpenedFile {
    FileIdentity Identity;
    bool Identified = false;
    std::int64_t Size = -1;
};
std::FILE* OpenRecording(const std::filesystem::path& path, bool update, std::string& error,
                         OpenedFile* opened = nullptr);

// Reads up to length bytes from the start of a recording opened read-only
// as OpenRecording opens it, and closes it again, with no stream between:
// on POSIX one open, one fstat, one read and one close. The bytes read, or
// -1 with error set as OpenRecording sets it (and, where the file opened
// but is no regular file, its identity in opened).
std::int64_t ReadRecordingStart(const std::filesystem::path& path, void* bytes, std::size_t length,
                                std::string& error, OpenedFile& opened);

// Where descriptor 0, 1 or 2 is closed at start, opens it on the null
// device, so that no file the tool opens can take its place (POSIX; Windows
// has no such descriptors to take).
void OpenClosedStandardDescriptors();

// The names in a folder that a pattern with * and ? matches, as the system
// matches them: FindFirstFileExW on Windows, which folds the case of every
// letter as Explorer does. False where the system has no such matcher
// (POSIX, whose shell has matched already); names is then left alone.
bool SystemWildcardMatches(const std::filesystem::path& folder, const std::string& pattern,
                           std::vector<std::string>& names);

// Windows' cmd.exe passes * and ? on as they are; a POSIX shell has
// already expanded them when the tool starts.
#if defined(_WIN32)
inline constexpr bool ShellExpandsWildcards = false;
#else
inline constexpr bool ShellExpandsWildcards = true;
#endif

// A Ctrl-Z byte ends a text file on Windows, as the C runtime's text mode
// reads it there; elsewhere it is a byte like any other.
#if defined(_WIN32)
inline constexpr bool CtrlZEndsText = true;
#else
inline constexpr bool CtrlZEndsText = false;
#endif

// Opens a file by its Unicode name (UTF-16) with a stdio mode such as "rb+".
// Where names are bytes (POSIX) there is no such name: it returns nullptr
// with errno ENOENT, and the caller opens the name's bytes instead.
std::FILE* OpenByUnicodeName(const std::u16string& name, const char* mode);

// A print that nobody reads (a closed pipe) fails like any other print,
// instead of ending the process with SIGPIPE.
void IgnoreBrokenPipe();

// Blocks for good without using the CPU. Ctrl-C, closing the console or a
// termination signal end the process through the system's default handling.
[[noreturn]] void IdleForever();

// The calls that tests replace to watch them or make them fail.
struct PlatformCalls {
    // Writes the stream's data through to its device. False on failure.
    bool (*SyncFile)(std::FILE* file);
    // Writes length bytes at the stream's position, as fwrite does: returns
    // how many were written, fewer on a failure (errno tells why).
    std::size_t (*WriteBytes)(const void* bytes, std::size_t length, std::FILE* file);
    // True when the stream is a console window (never on POSIX systems).
    bool (*IsConsole)(std::FILE* stream);
    // Writes characters and a line end to a console window.
    void (*WriteConsoleLine)(std::FILE* stream, const std::u16string& characters);
    // The characters that bytes stand for in the ANSI code page.
    std::u16string (*DecodeAnsi)(std::string_view bytes);
    // True when this process is the only one on its console window, as when
    // Explorer started it (never on POSIX systems).
    bool (*OwnsConsoleAlone)();
    // Says "Press Enter to close this window." on the console itself (never
    // into a redirected output) and waits for Enter.
    void (*WaitForEnter)();
};

// The calls of the system the tool runs on.
PlatformCalls SystemCalls();

// The calls in use: SystemCalls() from the start of the process.
extern PlatformCalls g_Platform;

}  // namespace kalimber
