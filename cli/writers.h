// The report mode's three writers: the text report as a ToDoWave.txt run
// prints it, one JSON object per line, and one CSV row per recording.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/chain.h"
#include "header/additional_information.h"
#include "header/recording_header.h"

namespace kalimber {

// Text: the selected-file head and the whole report of the open recording,
// loaded from the zero state; a blank line before all but the first.
void WriteTextReport(const std::string& path, std::FILE* recording, bool first);

// JSON and CSV describe the header image as loaded, with the file's size
// and the check; the duration is g_WavFileDurationMillisec.
void WriteJsonRecord(const std::string& path, std::int64_t size, RecordingCheck check);
void WriteJsonError(const std::string& path, const std::string& reason);

// With chain set, each row ends in the path of its chain's first file and
// the breaks of the link from the file before (empty where it holds).
void WriteCsvHeader(bool chain);
void WriteCsvRecord(const std::string& path, std::int64_t size, RecordingCheck check,
                    const std::string* chain, const std::string* link);
void WriteCsvError(const std::string& path, const std::string& reason, const std::string* chain,
                   const std::string* link);

// The chain CSV of --summary: one row per chain.
void WriteCsvChainHeader();
void WriteCsvChain(const Chain& chain, const ChainSummary& summary);

// The breaks of the link from one file to the next, "; " between them:
// "gap 5000 ms; CenterFreq 7100000 -> 7050000"; empty where it holds.
std::string LinkText(const ChainSummary& summary, const std::string& from, const std::string& to);

// A chain's section after its files: "---Chain---" and its lines in text,
// or one {"chain": ...} line in JSON.
void WriteTextChain(const Chain& chain, const ChainSummary& summary);
void WriteJsonChain(const Chain& chain, const ChainSummary& summary);

// The bytes as well-formed UTF-8: what is not becomes U+FFFD, as in JSON.
std::string WellFormedUtf8(std::string_view bytes);

// True when the file (of size bytes) holds the whole head of a chunk where
// the layout puts it, and its identifier reads as it should (RIFF, fmt ,
// auxi, orva, data); JSON shows a chunk that is not there as null, CSV as
// empty columns.
bool HoldsChunk(const RecordingHeader& header, std::int64_t size, const ChunkSpan& span, const char* id);

// The duration where one is worked out: the check passes and the block
// mode is 0 or 1.
bool HasDuration(RecordingCheck check, const RecordingHeader& header);

// How the report names a check: "ok", "not-orva", "unsupported-version".
const char* CheckName(RecordingCheck check);

// A text field of the header up to its first NUL, never past its width.
std::string FieldText(const std::uint8_t* field, std::size_t width);

// Writes text to the output as it is and flushes it, so that each record
// is out before the next file is opened.
void WriteOutput(std::string_view text);

}  // namespace kalimber
