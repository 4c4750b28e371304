// Reads the vendor chunk's identifier and version, and the file's size
// against the header's, into one verdict a recording.
#include "header/check.h"

#include <cstring>

#include "header/recording_header.h"

namespace kalimber {

const char* CheckName(RecordingCheck check) {
    switch (check) {
        case RecordingCheck::Ok:
            return "ok";
        case RecordingCheck::NotOrva:
            return "not-orva";
        case RecordingCheck::UnsupportedVersion:
            return "unsupported-version";
        case RecordingCheck::Truncated:
            break;
    }
    return "truncated";
}

RecordingCheck CheckVendorChunk(const RecordingHeader& header) {
    const OrvaChunk& orva = header.Orva;
    if (std::memcmp(orva.Id.data(), "orva", 4) != 0) {
        return RecordingCheck::NotOrva;
    }
    return orva.Version == 1 ? RecordingCheck::Ok : RecordingCheck::UnsupportedVersion;
}

RecordingCheck CheckRecordingFile(const RecordingHeader& header, std::int64_t fileSize) {
    const RecordingCheck check = CheckVendorChunk(header);
    return check == RecordingCheck::Ok && fileSize < std::int64_t{HeaderSize} ? RecordingCheck::Truncated : check;
}

}  // namespace kalimber
