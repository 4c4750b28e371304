// Carries out the WCF and WBW command lines: each sets its field in the header
// image, says so, and writes the whole AUXI chunk back before the next line.
#include "run/command_list.h"

#include <cstring>

#include "header/header_report.h"
#include "header/print.h"
#include "run/run_image.h"
#include "platform/platform.h"
#include "run/line_reader.h"

namespace kalimber {

bool g_HeaderModified = false;

namespace {

struct Command {
    const char* Word;
    LeU32 AuxiChunk::*Field;
    const char* Message;
};

constexpr Command kCommands[] = {
    {"WCF", &AuxiChunk::CenterFreq, "Cmd Write CenterFreq: %u[Hz]\n"},
    {"WBW", &AuxiChunk::Bandwidth, "Cmd Write BandWidth: %u[Hz]\n"},
};

// Writes the AUXI chunk and pushes it to the file at once; a failed write or
// flush is reported rather than passed over as a success.
void WriteAuxiChunk(std::FILE* recording) {
    const bool stored = StoreAuxiChunk(recording);
    const bool flushed = std::fflush(recording) == 0;
    if (!stored || !flushed) {
        Print("Write ERROR\n");
    }
}

}  // namespace

void HandleCommandLine(const char* line, std::FILE* recording) {
    if (line[0] == '\n') {
        return;  // an empty line
    }
    // The command word is the first three characters, or fewer where the line ends.
    char word[4] = {};
    for (std::size_t i = 0; i < 3 && line[i] != '\0'; ++i) {
        word[i] = line[i];
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(word, command.Word) != 0) {
            continue;
        }
        if (!HoldsAuxiChunk(recording)) {
            // Not a layout this tool knows: writing at the fixed offset would
            // land in someone else's data or grow the file.
            Print("Cmd Not Written: no AUXI chunk in this file\n");
            return;
        }
        const std::uint32_t value = ParseArgument(line + 3);
        (g_RecordingHeader.Auxi.*command.Field).Set(value);
        Print(command.Message, value);
        WriteAuxiChunk(recording);
        g_HeaderModified = true;
        return;
    }
    Print("Wrong Command\n");
}

void RunCommandList(std::FILE* commands, std::FILE* recording) {
    Print("\n%s", RuleLine);
    Print("*-*-*-*-*-*-*-*-*   CMD  LIST   *-*-*-*-*-*-*-*-*");
    Print("\n%s\n", RuleLine);
    g_HeaderModified = false;
    while (ReadLine(commands)) {
        if (g_LineBuffer[0] == '/') {
            break;  // nothing after this line is read
        }
        HandleCommandLine(g_LineBuffer, recording);
    }
    if (g_HeaderModified) {
        // Once, after the last write: what the commands wrote reaches the
        // device before the report reads it back and shows it as done.
        if (!g_Platform.SyncFile(recording)) {
            Print("Write ERROR\n");
        }
        Print("\n%s", RuleLine);
        Print("*-*-*-*-*-*-*-*-*  NEW  HEADER  *-*-*-*-*-*-*-*-*");
        Print("\n%s\n", RuleLine);
        PrintHeaderReport(recording);
    }
}

}  // namespace kalimber
