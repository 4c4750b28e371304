// A header image's loading from and storing to the file. Each chunk is read
// and written at its fixed offset, whatever the file says.
#include "header/recording_header.h"

#include <cstring>

#include "platform/platform.h"

namespace kalimber {

std::uint8_t* HeaderBytes(RecordingHeader& header) {
    return reinterpret_cast<std::uint8_t*>(&header);
}

const std::uint8_t* HeaderBytes(const RecordingHeader& header) {
    return reinterpret_cast<const std::uint8_t*>(&header);
}

namespace {

// Reads one chunk into the image at its own offset. A read cut short by the
// end of the file stores what was there and leaves the rest as it was; a seek
// that fails reads nothing, so no bytes from elsewhere land in the chunk.
void LoadChunk(std::FILE* recording, ChunkSpan span, RecordingHeader& header) {
    if (!SeekFile(recording, static_cast<std::int64_t>(span.Offset), SEEK_SET)) {
        return;
    }
    std::uint8_t scratch[HeaderSize];
    const std::size_t got = std::fread(scratch, 1, span.Length, recording);
    std::memcpy(HeaderBytes(header) + span.Offset, scratch, got);
}

}  // namespace

void LoadHeader(std::FILE* recording, RecordingHeader& header) {
    LoadChunk(recording, RiffSpan, header);
    LoadChunk(recording, FmtSpan, header);
    LoadChunk(recording, AuxiSpan, header);
    LoadChunk(recording, OrvaSpan, header);
    LoadChunk(recording, DataSpan, header);
}

void LoadHeaderAtOnce(std::FILE* recording, RecordingHeader& header) {
    LoadChunk(recording, ChunkSpan{0, HeaderSize}, header);
}

std::size_t ReadHeaderInto(std::FILE* recording, RecordingHeader& header) {
    std::uint8_t scratch[HeaderSize];
    const std::size_t got = std::fread(scratch, 1, HeaderSize, recording);
    std::memcpy(HeaderBytes(header), scratch, got);
    return got;
}

bool HoldsAuxiChunk(std::FILE* recording, const RecordingHeader& header) {
    if (std::memcmp(header.Auxi.Id.data(), "auxi", 4) != 0) {
        return false;
    }
    // A size that cannot be taken (a pipe, a device) is no recording's size.
    constexpr auto kAuxiEnd = static_cast<std::int64_t>(AuxiSpan.Offset + AuxiSpan.Length);
    return FileSize(recording) >= kAuxiEnd;
}

bool StoreAuxiChunk(std::FILE* recording, const RecordingHeader& header) {
    if (!SeekFile(recording, static_cast<std::int64_t>(AuxiSpan.Offset), SEEK_SET)) {
        return false;
    }
    const std::size_t put =
        g_Platform.WriteBytes(HeaderBytes(header) + AuxiSpan.Offset, AuxiSpan.Length, recording);
    return put == AuxiSpan.Length;
}

}  // namespace kalimber
