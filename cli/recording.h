// One recording as the command line sees it: the header image, the file's
// size, the check and the duration, and the file's identity, in one value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/path_walk.h"
#include "header/check.h"
#include "header/duration.h"
#include "header/fields.h"
#include "header/recording_header.h"
#include "platform/platform.h"

namespace kalimber {

struct Recording {
    std::filesystem::path Path;
    std::string Text;   // the name the output shows
    std::string Error;  // why it could not be read; everything below is then as in a fresh process
    RecordingHeader Header{};
    std::int64_t Size = 0;
    RecordingCheck Check = RecordingCheck::NotOrva;
    // Worked out where the check passes and the block mode is 0 or 1, whole:
    // the text report shows its low 32 bits, as the ToDoWave.txt run does.
    std::optional<std::uint64_t> Duration;
    std::optional<FileIdentity> Identity;
};

// Opens the path once, read-only, and takes everything from that one open:
// the header (bytes past the file's end stay zero), the size, the check and
// the duration, and the identity.
Recording LoadRecording(const FoundPath& found);

// The same from a file just opened (the patch keeps it open), with what
// the system said of it as it was opened.
Recording ReadRecording(const FoundPath& found, std::FILE* file, const OpenedFile& opened);

// Why a file that passes the family and version checks fails all the same:
// "truncated (300 bytes; a header needs 316)".
std::string TruncatedReason(std::int64_t size);

// True when the file holds the whole head of the chunk where the layout
// puts it, and its identifier reads as it should (RIFF, fmt , auxi, orva,
// data); what is not there is null in JSON and empty in CSV.
bool HoldsChunk(const Recording& recording, const ChunkRow& chunk);

}  // namespace kalimber
