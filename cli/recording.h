// One recording as the command line sees it: the header image, the file's
// size, the check and the duration, and the file's identity, in one value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/path_walk.h"
#include "header/additional_information.h"
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
    std::optional<std::uint32_t> Duration;  // worked out: the check passes, block mode 0 or 1
    std::optional<FileIdentity> Identity;
};

// Opens the path once, read-only, and takes everything from that one open:
// the header (bytes past the file's end stay zero), the size, the check and
// the duration, and the identity.
Recording LoadRecording(const FoundPath& found);

// The same from a file just opened (the patch keeps it open), with what
// the system said of it as it was opened.
Recording ReadRecording(const FoundPath& found, std::FILE* file, const OpenedFile& opened);

// True when the file holds the whole head of the chunk where the layout
// puts it, and its identifier reads as it should (RIFF, fmt , auxi, orva,
// data); what is not there is null in JSON and empty in CSV.
bool HoldsChunk(const Recording& recording, const ChunkRow& chunk);

}  // namespace kalimber
