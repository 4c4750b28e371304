// The run: banner, command file, recording, header report, command list, and
// the closing of both files. What happens after it (idling) is up to main.
#include "run/run.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "header/banner.h"
#include "run/run_image.h"
#include "header/header_report.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "run/command_list.h"
#include "run/line_reader.h"

namespace kalimber {

std::FILE* g_CommandFile = nullptr;
std::FILE* g_RecordingFile = nullptr;

namespace {

void FlushOutput() {
    std::fflush(OutputStream());
}

// Takes line 1 of the command file as the path: one trailing line feed goes,
// everything else (blanks included) is part of the name. An empty file gives
// an empty path.
void ReadPath(std::FILE* commands) {
    if (!ReadLine(commands)) {
        g_LineBuffer[0] = '\0';
        return;
    }
    const std::size_t length = std::strlen(g_LineBuffer);
    if (length > 0 && g_LineBuffer[length - 1] == '\n') {
        g_LineBuffer[length - 1] = '\0';
    }
}

// Opens the recording for update. A path that is UTF-8 with non-ASCII
// characters names a Unicode file on Windows; where no file has that name
// (or names are bytes, as on POSIX), the path's bytes are opened as they are,
// so command files in the ANSI code page keep working. An empty path names
// no file and is never handed to fopen.
std::FILE* OpenRecording(const char* path) {
    if (path[0] == '\0') {
        return nullptr;
    }
    std::u16string name;
    if (!IsAscii(path) && Utf8ToUtf16(path, name)) {
        errno = 0;
        if (std::FILE* file = OpenByUnicodeName(name, "rb+")) {
            return file;
        }
        if (errno != ENOENT) {
            return nullptr;  // it is there but cannot be opened for update
        }
    }
    return std::fopen(path, "rb+");
}

}  // namespace

void Run() {
    IgnoreBrokenPipe();
    PrintBanner();

    // Binary: the line reader works out the text itself (see ReadLine).
    g_CommandFile = std::fopen(CommandFileName, "rb");
    if (g_CommandFile != nullptr) {
        ReadPath(g_CommandFile);
        // A name that opens but cannot be read (a folder, on POSIX systems) is
        // as unreadable as it is on Windows, where opening it already fails.
        if (std::ferror(g_CommandFile) != 0) {
            std::fclose(g_CommandFile);
            g_CommandFile = nullptr;
        }
    }
    if (g_CommandFile == nullptr) {
        Print("Can't open ToDoWave.txt\n");
        FlushOutput();
        return;
    }
    g_RecordingFile = OpenRecording(g_LineBuffer);
    if (g_RecordingFile == nullptr) {
        Print("fopen ERROR\n");
        FlushOutput();
        return;
    }
    // Unbuffered: every write reaches the file at once, and a write that fails
    // leaves nothing behind in a buffer to be retried by a later seek or close.
    std::setvbuf(g_RecordingFile, nullptr, _IONBF, 0);

    PrintSelectedFile(g_LineBuffer);

    PrintHeaderReport(g_RecordingFile);
    RunCommandList(g_CommandFile, g_RecordingFile);

    const bool recordingFlushed = std::fflush(g_RecordingFile) == 0;
    const bool recordingClosed = std::fclose(g_RecordingFile) == 0;
    g_RecordingFile = nullptr;
    if (!recordingFlushed || !recordingClosed) {
        Print("Write ERROR\n");
    }
    std::fclose(g_CommandFile);
    g_CommandFile = nullptr;
    FlushOutput();
}

void ResetProcessState() {
    if (g_RecordingFile != nullptr) {
        std::fclose(g_RecordingFile);
        g_RecordingFile = nullptr;
    }
    if (g_CommandFile != nullptr) {
        std::fclose(g_CommandFile);
        g_CommandFile = nullptr;
    }
    ResetRecordingState();
    std::memset(g_LineBuffer, 0, sizeof g_LineBuffer);
    ResetLineReader();
    g_HeaderModified = false;
}

}  // namespace kalimber
