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

inline constexpr FieldRow FieldTable[] = {
    {ChunkKind::Riff, "CnkId", 0, 4, FieldKind::Identifier},
    {ChunkKind::Riff, "CnkSize", 4, 4, FieldKind::Unsigned},
    {ChunkKind::Riff, "CnkFormat", 8, 4, FieldKind::Identifier},

    {ChunkKind::Fmt, "CnkId", 12, 4, FieldKind::Identifier},
    {ChunkKind::Fmt, "CnkSize", 16, 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkAudioFormat", 20, 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkNumChan", 22, 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkSampleRate", 24, 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkByteRate", 28, 4, FieldKind::Unsigned},
    {ChunkKind::Fmt, "CnkBlockAlign", 32, 2, FieldKind::Signed},
    {ChunkKind::Fmt, "CnkBitPerSample", 34, 2, FieldKind::Signed},

    {ChunkKind::Auxi, "CnkId", 36, 4, FieldKind::Identifier},
    {ChunkKind::Auxi, "CnkSize", 40, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "StartTime", 44, 16, FieldKind::Time},
    {ChunkKind::Auxi, "StopTime", 60, 16, FieldKind::Time},
    {ChunkKind::Auxi, "CenterFreq", 76, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "ADFrequency", 80, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "IFFrequency", 84, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Bandwidth", 88, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "IQOffset", 92, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "DBOffset", 96, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "MaxVal", 100, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Unused4", 104, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "Unused5", 108, 4, FieldKind::Unsigned},
    {ChunkKind::Auxi, "NextFileName", 112, 96, FieldKind::Text},

    {ChunkKind::Orva, "CnkId", 208, 4, FieldKind::Identifier},
    {ChunkKind::Orva, "CnkSize", 212, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "LocalToUTC", 216, 4, FieldKind::Signed},
    {ChunkKind::Orva, "LastDemodFreq", 220, 4, FieldKind::Signed},
    {ChunkKind::Orva, "LastDemodBw", 224, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "LastDemodMode", 228, 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "Filter", 230, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Attenuator", 231, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "VID", 232, 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "PID", 234, 2, FieldKind::Unsigned},
    {ChunkKind::Orva, "SN", 236, 32, FieldKind::Text},
    {ChunkKind::Orva, "RxMode", 268, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Options1", 269, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Options2", 270, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Version", 271, 1, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused1", 272, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused2", 276, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused3", 280, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused4", 284, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused5", 288, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused6", 292, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused7", 296, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused8", 300, 4, FieldKind::Unsigned},
    {ChunkKind::Orva, "Unused9", 304, 4, FieldKind::Unsigned},

    {ChunkKind::Data, "CnkId", 308, 4, FieldKind::Identifier},
    {ChunkKind::Data, "CnkSize", 312, 4, FieldKind::Unsigned},
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
static_assert(FieldTable[15].Offset == offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, CenterFreq));
static_assert(FieldTable[18].Offset == offsetof(RecordingHeader, Auxi) + offsetof(AuxiChunk, Bandwidth));

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

// The field that a label names alone; a label that names no field, or one
// in two chunks, does not compile where it is a constant.
consteval const FieldRow& FieldNamed(std::string_view label) {
    const std::size_t index = FieldIndex(label);
    for (std::size_t i = index + 1; i < FieldCount; ++i) {
        if (label == FieldTable[i].Label) {
            return FieldTable[FieldCount];  // not one field: out of the table
        }
    }
    return FieldTable[index];
}

// A number field's value (Unsigned or Signed), as the layout stores it.
std::int64_t FieldNumber(const RecordingHeader& header, const FieldRow& row);

// An Identifier's four bytes, or a Text up to its first NUL.
std::string FieldString(const RecordingHeader& header, const FieldRow& row);

// A Time field's record.
TimeStamp FieldTime(const RecordingHeader& header, const FieldRow& row);

}  // namespace kalimber
