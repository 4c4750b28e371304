// The run's process-wide header image and duration: loaded, stored, checked
// and reported through the routines of header/ that take a header.
#include "run/run_image.h"

#include <optional>

#include "header/duration.h"
#include "header/header_report.h"
#include "platform/platform.h"

namespace kalimber {

RecordingHeader g_RecordingHeader{};

std::uint32_t g_WavFileDurationMillisec = 0;

void LoadHeader(std::FILE* recording) {
    LoadHeader(recording, g_RecordingHeader);
}

void LoadHeaderAtOnce(std::FILE* recording) {
    LoadHeaderAtOnce(recording, g_RecordingHeader);
}

bool HoldsAuxiChunk(std::FILE* recording) {
    return HoldsAuxiChunk(recording, g_RecordingHeader);
}

bool StoreAuxiChunk(std::FILE* recording) {
    return StoreAuxiChunk(recording, g_RecordingHeader);
}

RecordingCheck CheckVendorChunk() {
    return CheckVendorChunk(g_RecordingHeader);
}

RecordingCheck CheckRecording(std::FILE* recording) {
    // The size is taken only for a supported recording.
    const RecordingCheck check = CheckVendorChunk();
    return check == RecordingCheck::Ok ? CheckRecordingOfSize(FileSize(recording)) : check;
}

RecordingCheck CheckRecordingOfSize(std::int64_t fileSize) {
    const RecordingCheck check = CheckVendorChunk();
    if (check != RecordingCheck::Ok) {
        return check;
    }
    if (const std::optional<std::uint32_t> duration = WorkOutDuration(g_RecordingHeader, fileSize)) {
        g_WavFileDurationMillisec = *duration;
    }
    return RecordingCheck::Ok;
}

void PrintAdditionalInformation(std::FILE* recording) {
    const RecordingCheck check = CheckRecording(recording);
    PrintAdditionalLines(check, g_WavFileDurationMillisec);
}

void PrintHeaderReport(std::FILE* recording) {
    LoadHeader(recording);
    PrintHeaderSections(g_RecordingHeader, ShownText::AsStored);
    PrintAdditionalInformation(recording);
}

void ResetRecordingState() {
    g_RecordingHeader = RecordingHeader{};
    g_WavFileDurationMillisec = 0;
}

}  // namespace kalimber
