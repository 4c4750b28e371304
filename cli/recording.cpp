// Loads a recording into one value: one open, one read of the 316 bytes,
// the size and the identity from the open file, then the check.
#include "cli/recording.h"

#include <cstring>

namespace kalimber {

namespace {

// The size, the check, the duration and the identity of a recording whose
// header is in.
void CheckRead(Recording& recording, std::int64_t size, const std::optional<FileIdentity>& identity) {
    recording.Size = size;
    recording.Check = CheckRecordingFile(recording.Header, recording.Size);
    if (recording.Check == RecordingCheck::Ok) {
        recording.Duration = WorkOutFullDuration(recording.Header, recording.Size);
    }
    recording.Identity = identity;
}

}  // namespace

Recording ReadRecording(const FoundPath& found, std::FILE* file, const OpenedFile& opened) {
    Recording recording;
    recording.Path = found.Path;
    recording.Text = found.Text;
    ReadHeaderInto(file, recording.Header);
    FileIdentity identity;
    const bool identified = opened.Identified || IdentifyFile(file, identity);
    CheckRead(recording, opened.Size >= 0 ? opened.Size : FileSize(file),
              identified ? std::optional<FileIdentity>(opened.Identified ? opened.Identity : identity)
                         : std::nullopt);
    return recording;
}

Recording LoadRecording(const FoundPath& found) {
    Recording recording;
    recording.Path = found.Path;
    recording.Text = found.Text;
    recording.Error = found.Error;
    OpenedFile opened;
    if (recording.Error.empty() &&
        ReadRecordingStart(found.Path, HeaderBytes(recording.Header), HeaderSize, recording.Error, opened) >= 0) {
        CheckRead(recording, opened.Size, std::nullopt);
    }
    if (opened.Identified) {
        recording.Identity = opened.Identity;
    }
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
