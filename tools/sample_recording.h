// Builds recordings field by field: the bundled sample and every recording the
// tests use come from here, so they share one well-formed starting point.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "header/recording_header.h"

namespace kalimber::sample {

// A well-formed header: RIFF/WAVE, 2-channel 16-bit integer samples at
// 192000 Hz, an AUXI chunk with time stamps, centre frequency and bandwidth,
// an "orva" chunk of version 1 (block mode 1), and a data chunk head whose
// size matches dataBytes.
RecordingHeader MakeHeader(std::uint32_t dataBytes);

// Sets a text field from a string, zero-filling the rest of the field.
void SetText(std::uint8_t* field, std::size_t width, const std::string& text);

// Sets a time stamp to a point on the calendar (UTC), day of week included.
void SetTime(TimeStamp& t, std::chrono::sys_time<std::chrono::milliseconds> at);

// The sample's start, 17 April 2021 14:03:09.045, as a point on the calendar.
std::chrono::sys_time<std::chrono::milliseconds> SampleStart();

// One file of a split recording: the well-formed header (10 blocks of 3072
// frames and 100 bytes, 160 ms), started at start and stopped 160 ms later,
// naming next.
RecordingHeader MakeSessionPart(std::chrono::sys_time<std::chrono::milliseconds> start,
                                const std::string& next);

// Sets a chunk identifier from four characters.
void SetId(ChunkId& id, const char (&text)[5]);

// dataBytes of I/Q sample frames: a slow quadrature tone, in integers only,
// so the bytes are the same on every host.
std::vector<std::uint8_t> MakeSamples(std::uint32_t dataBytes);

// The whole file: header bytes followed by the samples.
std::vector<std::uint8_t> MakeRecording(const RecordingHeader& header,
                                        const std::vector<std::uint8_t>& samples);

// Writes bytes to path; returns false on any failure.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Reads the whole file at path into bytes; returns false when it cannot be opened.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);

// The bundled sample: ten blocks of 3072 frames (12288 bytes each) and 100
// bytes more, so its duration is 10 * 3072 * 1000 / 192000 = 160 ms.
inline constexpr std::uint32_t SampleDataBytes = 10 * 12288 + 100;

}  // namespace kalimber::sample
