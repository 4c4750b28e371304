// Loads a recording into one value: one open, one read of the 316 bytes,
// the size and the identity from the open file, then the check.
#include "cli/recording.h"

#include <cstring>

namespace kalimber {

Recording ReadRecording(const FoundPath& found, std::FILE* file, const OpenedFile& opened) {
    Recording recording;
    recording.Path = found.Path;
    recording.Text = found.Text;
    ReadHeaderInto(file, recording.Header);
    recording.Size = opened.Size >= 0 ? opened.Size : FileSize(file);
    recording.Check = CheckRecordingFile(recording.Header, recording.Size);
    if (recording.Check == RecordingCheck::Ok) {
        recording.Duration = WorkOutFullDuration(recording.Header, recording.Size);
    }
    if (FileIdentity identity; opened.Identified || IdentifyFile(file, identity)) {
        recording.Identity = opened.Identified ? opened.Identity : identity;
    }
    return recording;
}

Recording LoadRecording(const FoundPath& found) {
    std::string error = found.Error;
    OpenedFile opened;
    std::FILE* file = error.empty() ? OpenRecording(found.Path, false, error, &opened) : nullptr;
    if (file == nullptr) {
        Recording unread;
        unread.Path = found.Path;
        unread.Text = found.Text;
        unread.Error = error;
        return unread;
    }
    Recording recording = ReadRecording(found, file, opened);
    std::fclose(file);
    return recording;
}

std::string TruncatedReason(std::int64_t size) {
    return "truncated (" + std::to_string(size) + " bytes; a header needs " + std::to_string(HeaderSize) + ")";
}

bool HoldsChunk(const Recording& recording, const ChunkRow& chunk) {
    return recording.Error.empty() &&
           recording.Size >= static_cast<std::int64_t>(chunk.Span.Offset + chunk.Span.Length) &&
           std::memcmp(HeaderBytes(recording.Header) + chunk.Span.Offset, chunk.Id, 4) == 0;
}

}  // namespace kalimber
