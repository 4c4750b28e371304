// The table of the header's fields: one row per field of the 316-byte layout,
// with its chunk, the report's label, its offset, width and kind.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "header/recording_header.h"

namespace kalimber {

enum class ChunkKind { Riff, Fmt, Auxi, Orva, Data };

// A chunk as the output names it, where the layout puts it, and the
// identifier it must hold to be there.
struct ChunkRow {
    const char* Name;
    ChunkSpan Span;
    const char* Id;
};

inline constexpr std::array<ChunkRow, 5> ChunkTable{{
    {"RIFF", RiffSpan, "RIFF"},
    {"FMT", FmtSpan, "fmt "},
    {"AUXI", AuxiSpan, "auxi"},
    {"ORVA", OrvaSpan, "orva"},
    {"DATA", DataSpan, "data"},
}};

// Unsigned and Signed: a little-endian integer of 1, 2 or 4 bytes.
// Identifier: four bytes as they are. Text: up to the first NUL, never past
// the width. Time: the eight 16-bit words of a SYSTEMTIME record.
enum class FieldKind { Unsigned, Signed, Identifier, Text, Time };

struct FieldRow {
    ChunkKind Chunk;
    const char* Label;  // as the text report labels it
    std::size_t Offset;  // in the file
    std::size_t Width;
    FieldKind Kind;
};

// Each row's offset is its chunk's in the header and its member's in the
// chunk, as the compiler lays them out; recording_header.h pins every one.
inline constexpr FieldRow FieldTable[] = {
    {ChunkKind::Riff, "CnkId", offsetof(RecordingHeader, Riff) + offsetof(RiffChunk, Id), 4, FieldKind::Identifier},
    {ChunkKind::Riff, "CnkSize", offsetof(RecordingHeader, Riff) + offsetof(RiffChunk, Size), 4, FieldKind::Unsigned},
    {ChunkKind::Riff, "CnkFormat", offsetof(RecordingHeader, Riff) + offsetof(RiffChunk, Format), 4, FieldKind::Identifier},

    {ChunkKind::Fmt, "CnkId", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, Id), 4, FieldKind::Identifier},
    {ChunkKind::Fmt, "CnkSize", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, Size), 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkAudioFormat", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, AudioFormat), 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkNumChan", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, NumChannels), 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkSampleRate", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, SampleRate), 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkByteRate", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, ByteRate), 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkBlockAlign", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, BlockAlign), 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkBitPerSample", offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, BitPerSample), 2, FieldKind::Signed},

    {ChunkKind::Auxi, "CnkId", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Id), 4, FieldKind::Identifier},
    {ChunkKind::Auxi, "CnkSize", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Size), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "StartTime", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, StartTime), 16, FieldKind::Time},
    {ChunkKind::Auxi, "StopTime", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, StopTime), 16, FieldKind::Time},
    {ChunkKind::Auxi, "CenterFreq", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, CenterFreq), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "ADFrequency", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, ADFrequency), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "IFFrequency", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, IFFrequency), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Bandwidth", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Bandwidth), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "IQOffset", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, IQOffset), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "DBOffset", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, DBOffset), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "MaxVal", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, MaxVal), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Unused4", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Unused4), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Unused5", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Unused5), 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "NextFileName", offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, NextFileName), 96, FieldKind::Text},

    {ChunkKind::Orva, "CnkId", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Id), 4, FieldKind::Identifier},
    {ChunkKind::Orva, "CnkSize", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Size), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "LocalToUTC", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, LocalToUTC), 4, FieldKind::Signed},
    {ChunkKind::Orva, "LastDemodFreq", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, LastDemodFreq), 4, FieldKind::Signed},
    {ChunkKind::Orva, "LastDemodBw", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, LastDemodBw), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "LastDemodMode", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, LastDemodMode), 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "Filter", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Filter), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Attenuator", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Attenuator), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "VID", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, VID), 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "PID", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, PID), 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "SN", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, SN), 32, FieldKind::Text},
    {ChunkKind::Orva, "RxMode", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, RxMode), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Options1", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Options1), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Options2", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Options2), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Version", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Version), 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused1", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused1), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused2", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused2), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused3", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused3), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused4", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused4), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused5", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused5), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused6", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused6), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused7", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused7), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused8", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused8), 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused9", offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, Unused9), 4, FieldKind::Unsigned},

    {ChunkKind::Data, "CnkId", offsetof(RecordingHeader, Data) + offsetof(DataChunkHeader, Id), 4, FieldKind::Identifier},
    {ChunkKind::Data, "CnkSize", offsetof(RecordingHeader, Data) + offsetof(DataChunkHeader, Size), 4, FieldKind::Unsigned},
};

inline constexpr std::size_t FieldCount = std::size(FieldTable);

// True when the rows lie end to end in layout order, each inside its own
// chunk, and together cover all 316 bytes; numbers are 1, 2 or 4 bytes wide.
constexpr bool FieldTableCoversTheLayout() {
    std::size_t next = 0;
    for (const FieldRow& row : FieldTable) {
        const ChunkSpan span = ChunkTable[static_cast<std::size_t>(row.Chunk)].Span;
        const bool number = row.Kind == FieldKind::Unsigned || row.Kind == FieldKind::Signed;
        if (row.Offset != next || row.Offset < span.Offset || row.Offset + row.Width > span.Offset + span.Length ||
            (number && row.Width != 1 && row.Width != 2 && row.Width != 4) ||
            (row.Kind == FieldKind::Identifier && row.Width != 4) || (row.Kind == FieldKind::Time && row.Width != 16)) {
            return false;
        }
        next = row.Offset + row.Width;
    }
    return next == HeaderSize;
}
static_assert(FieldTableCoversTheLayout());

// The first row with this label (FieldCount where none has it); the labels
// that pick a row by name alone are each in one chunk only.
constexpr std::size_t FieldIndex(std::string_view label) {
    for (std::size_t i = 0; i < FieldCount; ++i) {
        if (label == FieldTable[i].Label) {
            return i;
        }
    }
    return FieldCount;
}

// The row that starts at an offset of the layout; an offset where none
// starts does not compile.
consteval const FieldRow& FieldAt(std::size_t offset) {
    for (const FieldRow& row : FieldTable) {
        if (row.Offset == offset) {
            return row;
        }
    }
    return FieldTable[FieldCount];  // past the table: no constant
}

// The rows the command line's code names, found by the layout's members, so
// that each label is typed in the table alone.
namespace field {
inline constexpr const FieldRow& StartTime = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, StartTime));
inline constexpr const FieldRow& StopTime = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, StopTime));
inline constexpr const FieldRow& CenterFreq = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, CenterFreq));
inline constexpr const FieldRow& ADFrequency = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, ADFrequency));
inline constexpr const FieldRow& IFFrequency = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, IFFrequency));
inline constexpr const FieldRow& Bandwidth = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Bandwidth));
inline constexpr const FieldRow& NextFileName = FieldAt(offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, NextFileName));
inline constexpr const FieldRow& SampleRate = FieldAt(offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, SampleRate));
inline constexpr const FieldRow& NumChannels = FieldAt(offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, NumChannels));
inline constexpr const FieldRow& BitPerSample = FieldAt(offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, BitPerSample));
inline constexpr const FieldRow& AudioFormat = FieldAt(offsetof(RecordingHeader, Fmt) + offsetof(FmtChunk, AudioFormat));
inline constexpr const FieldRow& SN = FieldAt(offsetof(RecordingHeader, Orva) + offsetof(OrvaChunk, SN));
}  // namespace field

// The label of the duration worked out from the data chunk's size, which
// JSON and CSV name beside the fields, as the text report does.
inline constexpr const char* DurationLabel = "WavFileDurationMillisec";

// The label of the check's outcome (ok, not-orva, ...) beside the fields.
inline constexpr const char* CheckLabel = "Check";

// A number field's value (Unsigned or Signed), as the layout stores it.
std::int64_t FieldNumber(const RecordingHeader& header, const FieldRow& row);

// An Identifier's four bytes, or a Text up to its first NUL.
std::string FieldString(const RecordingHeader& header, const FieldRow& row);

// A Time field's record.
TimeStamp FieldTime(const RecordingHeader& header, const FieldRow& row);

}  // namespace kalimber
