// The ToDoWave.txt run's one header image and its duration, which live for the
// process, and the routines the run calls on them.
#pragma once

#include <cstdint>
#include <cstdio>

#include "header/check.h"
#include "header/recording_header.h"

namespace kalimber {

// The one header image of the process: all zero at start, lives for the run.
extern RecordingHeader g_RecordingHeader;

// Kept between the reports of a run; shown again when no duration is worked out.
extern std::uint32_t g_WavFileDurationMillisec;

// Reads the five chunks into the image at their fixed offsets. Bytes beyond
// the end of the file keep the values they had.
void LoadHeader(std::FILE* recording);

// The same image in one read of bytes 0 to 315.
void LoadHeaderAtOnce(std::FILE* recording);

// True when a store of the image may write into the file (see the overload
// that takes a header). Leaves the file at its end.
bool HoldsAuxiChunk(std::FILE* recording);

// Writes the image's AUXI chunk at file offset 36, in one write.
bool StoreAuxiChunk(std::FILE* recording);

// What the image's vendor chunk says.
RecordingCheck CheckVendorChunk();

// Checks the image's vendor chunk; for a supported recording, also takes the
// file's size and works out g_WavFileDurationMillisec, which block modes 2
// and 3 leave as it was. Leaves the file at its end.
RecordingCheck CheckRecording(std::FILE* recording);

// The same for a file of fileSize bytes whose size is already known.
RecordingCheck CheckRecordingOfSize(std::int64_t fileSize);

// The last section of every header report.
void PrintAdditionalInformation(std::FILE* recording);

// Loads the header afresh into the image and prints it, then the
// additional information.
void PrintHeaderReport(std::FILE* recording);

// The header image zero and no duration worked out, as in a fresh process.
void ResetRecordingState();

}  // namespace kalimber
