// The recording check: is this a recording of the receiver family, in a
// version this tool supports, and does the file hold its whole header.
#pragma once

#include <cstdint>

namespace kalimber {

struct RecordingHeader;

// What the vendor chunk of a header says of the file. Truncated is a
// recording whose file ends inside its 316-byte header: the command line
// tells it apart, the ToDoWave.txt run reports such a file as it stands.
enum class RecordingCheck { Ok, NotOrva, UnsupportedVersion, Truncated };

// How the command line names a check: "ok", "not-orva", "unsupported-version",
// "truncated".
const char* CheckName(RecordingCheck check);

// What a header's vendor chunk says: its identifier and version.
RecordingCheck CheckVendorChunk(const RecordingHeader& header);

// The check of a file of fileSize bytes with this header: its vendor
// chunk's, or Truncated where that passes but the file ends inside the header.
RecordingCheck CheckRecordingFile(const RecordingHeader& header, std::int64_t fileSize);

}  // namespace kalimber
