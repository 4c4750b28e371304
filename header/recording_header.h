// The fixed 316-byte recording header: its chunks, their offsets checked at
// compile time, and the two moves between file and image (load, store AUXI).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "header/le_fields.h"

namespace kalimber {

inline constexpr std::size_t HeaderSize = 316;

struct RiffChunk {
    ChunkId Id;
    LeU32 Size;
    ChunkId Format;
};

struct FmtChunk {
    ChunkId Id;
    LeU32 Size;
    LeI16 AudioFormat;
    LeI16 NumChannels;
    LeU32 SampleRate;
    LeU32 ByteRate;
    LeI16 BlockAlign;
    LeI16 BitPerSample;
};

// The layout of a Windows SYSTEMTIME record.
struct TimeStamp {
    LeU16 Year;
    LeU16 Month;
    LeU16 DayOfWeek;
    LeU16 Day;
    LeU16 Hour;
    LeU16 Minute;
    LeU16 Second;
    LeU16 Millisecond;
};

struct AuxiChunk {
    ChunkId Id;
    LeU32 Size;
    TimeStamp StartTime;
    TimeStamp StopTime;
    LeU32 CenterFreq;
    LeU32 ADFrequency;
    LeU32 IFFrequency;
    LeU32 Bandwidth;
    LeU32 IQOffset;
    LeU32 DBOffset;
    LeU32 MaxVal;
    LeU32 Unused4;
    LeU32 Unused5;
    std::uint8_t NextFileName[96];
};

struct OrvaChunk {
    ChunkId Id;
    LeU32 Size;
    LeI32 LocalToUTC;
    LeI32 LastDemodFreq;
    LeU32 LastDemodBw;
    LeU16 LastDemodMode;
    U8 Filter;
    U8 Attenuator;
    LeU16 VID;
    LeU16 PID;
    std::uint8_t SN[32];
    U8 RxMode;
    U8 Options1;
    U8 Options2;
    U8 Version;
    LeU32 Unused1;
    LeU32 Unused2;
    LeU32 Unused3;
    LeU32 Unused4;
    LeU32 Unused5;
    LeU32 Unused6;
    LeU32 Unused7;
    LeU32 Unused8;
    LeU32 Unused9;
};

struct DataChunkHeader {
    ChunkId Id;
    LeU32 Size;
};

// Byte for byte the file's bytes 0 to 315.
struct RecordingHeader {
    RiffChunk Riff;
    FmtChunk Fmt;
    AuxiChunk Auxi;
    OrvaChunk Orva;
    DataChunkHeader Data;
};

// Where each chunk lives in the file, and how long it is.
struct ChunkSpan {
    std::size_t Offset;
    std::size_t Length;
};
inline constexpr ChunkSpan RiffSpan{0, 12};
inline constexpr ChunkSpan FmtSpan{12, 24};
inline constexpr ChunkSpan AuxiSpan{36, 172};
inline constexpr ChunkSpan OrvaSpan{208, 100};
inline constexpr ChunkSpan DataSpan{308, 8};

static_assert(sizeof(RiffChunk) == RiffSpan.Length);
static_assert(sizeof(FmtChunk) == FmtSpan.Length);
static_assert(sizeof(TimeStamp) == 16);
static_assert(sizeof(AuxiChunk) == AuxiSpan.Length);
static_assert(sizeof(OrvaChunk) == OrvaSpan.Length);
static_assert(sizeof(DataChunkHeader) == DataSpan.Length);
static_assert(sizeof(RecordingHeader) == HeaderSize);
static_assert(alignof(RecordingHeader) == 1);

static_assert(offsetof(RecordingHeader, Riff) == RiffSpan.Offset);
static_assert(offsetof(RecordingHeader, Fmt) == FmtSpan.Offset);
static_assert(offsetof(RecordingHeader, Auxi) == AuxiSpan.Offset);
static_assert(offsetof(RecordingHeader, Orva) == OrvaSpan.Offset);
static_assert(offsetof(RecordingHeader, Data) == DataSpan.Offset);

// Offsets within each chunk, written as file offsets minus the chunk's offset.
static_assert(offsetof(RiffChunk, Size) == 4 && offsetof(RiffChunk, Format) == 8);
static_assert(offsetof(FmtChunk, Size) == 16 - 12);
static_assert(offsetof(FmtChunk, AudioFormat) == 20 - 12);
static_assert(offsetof(FmtChunk, NumChannels) == 22 - 12);
static_assert(offsetof(FmtChunk, SampleRate) == 24 - 12);
static_assert(offsetof(FmtChunk, ByteRate) == 28 - 12);
static_assert(offsetof(FmtChunk, BlockAlign) == 32 - 12);
static_assert(offsetof(FmtChunk, BitPerSample) == 34 - 12);
static_assert(offsetof(TimeStamp, Month) == 2 && offsetof(TimeStamp, DayOfWeek) == 4);
static_assert(offsetof(TimeStamp, Day) == 6 && offsetof(TimeStamp, Hour) == 8);
static_assert(offsetof(TimeStamp, Minute) == 10 && offsetof(TimeStamp, Second) == 12);
static_assert(offsetof(TimeStamp, Millisecond) == 14);
static_assert(offsetof(AuxiChunk, Size) == 40 - 36);
static_assert(offsetof(AuxiChunk, StartTime) == 44 - 36);
static_assert(offsetof(AuxiChunk, StopTime) == 60 - 36);
static_assert(offsetof(AuxiChunk, CenterFreq) == 76 - 36);
static_assert(offsetof(AuxiChunk, ADFrequency) == 80 - 36);
static_assert(offsetof(AuxiChunk, IFFrequency) == 84 - 36);
static_assert(offsetof(AuxiChunk, Bandwidth) == 88 - 36);
static_assert(offsetof(AuxiChunk, IQOffset) == 92 - 36);
static_assert(offsetof(AuxiChunk, DBOffset) == 96 - 36);
static_assert(offsetof(AuxiChunk, MaxVal) == 100 - 36);
static_assert(offsetof(AuxiChunk, Unused4) == 104 - 36);
static_assert(offsetof(AuxiChunk, Unused5) == 108 - 36);
static_assert(offsetof(AuxiChunk, NextFileName) == 112 - 36);
static_assert(offsetof(OrvaChunk, Size) == 212 - 208);
static_assert(offsetof(OrvaChunk, LocalToUTC) == 216 - 208);
static_assert(offsetof(OrvaChunk, LastDemodFreq) == 220 - 208);
static_assert(offsetof(OrvaChunk, LastDemodBw) == 224 - 208);
static_assert(offsetof(OrvaChunk, LastDemodMode) == 228 - 208);
static_assert(offsetof(OrvaChunk, Filter) == 230 - 208);
static_assert(offsetof(OrvaChunk, Attenuator) == 231 - 208);
static_assert(offsetof(OrvaChunk, VID) == 232 - 208);
static_assert(offsetof(OrvaChunk, PID) == 234 - 208);
static_assert(offsetof(OrvaChunk, SN) == 236 - 208);
static_assert(offsetof(OrvaChunk, RxMode) == 268 - 208);
static_assert(offsetof(OrvaChunk, Options1) == 269 - 208);
static_assert(offsetof(OrvaChunk, Options2) == 270 - 208);
static_assert(offsetof(OrvaChunk, Version) == 271 - 208);
static_assert(offsetof(OrvaChunk, Unused1) == 272 - 208);
static_assert(offsetof(OrvaChunk, Unused2) == 276 - 208);
static_assert(offsetof(OrvaChunk, Unused3) == 280 - 208);
static_assert(offsetof(OrvaChunk, Unused4) == 284 - 208);
static_assert(offsetof(OrvaChunk, Unused5) == 288 - 208);
static_assert(offsetof(OrvaChunk, Unused6) == 292 - 208);
static_assert(offsetof(OrvaChunk, Unused7) == 296 - 208);
static_assert(offsetof(OrvaChunk, Unused8) == 300 - 208);
static_assert(offsetof(OrvaChunk, Unused9) == 304 - 208);
static_assert(offsetof(DataChunkHeader, Size) == 312 - 308);

// The image as the raw bytes 0 to 315 of the file.
std::uint8_t* HeaderBytes(RecordingHeader& header);
const std::uint8_t* HeaderBytes(const RecordingHeader& header);

// Reads the five chunks at their fixed offsets into the image. Bytes beyond
// the end of the file keep the values they had in it.
void LoadHeader(std::FILE* recording, RecordingHeader& header);

// Reads bytes 0 to 315 in one read. The chunks lie end to end, so this gives
// the image that LoadHeader's five reads give, for a file that has them all
// and for one cut short alike, at a fifth of the system calls.
void LoadHeaderAtOnce(std::FILE* recording, RecordingHeader& header);

// Bytes 0 to 315 of a file just opened (at its start), in one read, into a
// header of the caller's; returns the bytes read.
std::size_t ReadHeaderInto(std::FILE* recording, RecordingHeader& header);

// True when a store may write into the file: the image holds "auxi" at byte
// 36 and the file reaches at least to byte 207, so the AUXI chunk lands on an
// AUXI chunk and the file keeps its size. Leaves the file at its end.
bool HoldsAuxiChunk(std::FILE* recording, const RecordingHeader& header);

// Writes image bytes 36 to 207 (the AUXI chunk) at file offset 36, in one
// write, and nothing else. Returns false when the seek or the write failed;
// after a failed seek nothing is written at all.
bool StoreAuxiChunk(std::FILE* recording, const RecordingHeader& header);

}  // namespace kalimber
