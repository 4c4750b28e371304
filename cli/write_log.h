// The record that undoes a write mode (--log): JSON Lines appended to a
// file, an intent made durable before each file is written, then its outcome.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/patch.h"

namespace kalimber {

struct WriteLog {
    std::FILE* File = nullptr;
    std::string Text;   // the log's name as given
    std::string Error;  // why it could not be written; the run stops before the next file
};

// Opens the log for appending (created where it is not there); false with
// the reason in log.Error, and where a file is there that does not start
// as a log (a recording named by a slip).
bool OpenLog(const std::string& text, WriteLog& log);

// Closes it; false (with the reason) where what was appended may be lost.
bool CloseLog(WriteLog& log);

// Appends the intent to write a file, durable where asked (flushed and
// synced; otherwise flushed only, for SyncLog to make many durable at once): the path as given (and its bytes in hex where they are not
// UTF-8), the file's identity, and each run's offset, old and new bytes in
// hex. False, with log.Error set, where it could not be written.
bool LogIntent(WriteLog& log, const FoundPath& found, const Recording& now, const RecordingHeader& after,
               const std::vector<ByteRun>& runs, bool durable);

// Makes what was appended durable; false with log.Error set.
bool SyncLog(WriteLog& log);

// Appends the file's outcome, the record --json prints.
void LogOutcome(WriteLog& log, const PatchOutcome& outcome);

// One file's write as a log holds it, to be undone.
struct LoggedRun {
    std::size_t Offset = 0;
    std::vector<std::uint8_t> Old;
    std::vector<std::uint8_t> New;
};
struct LoggedWrite {
    std::string Text;  // the path as the log gives it (well-formed UTF-8)
    std::filesystem::path Path;
    std::vector<LoggedRun> Runs;
};

// Reads a log's intents in their order; empty, or why the file is not a log
// of this tool ("line 3: an offset outside 0..315"), in which case nothing
// may be written.
std::string ReadLog(const std::string& text, std::vector<LoggedWrite>& writes);

}  // namespace kalimber
