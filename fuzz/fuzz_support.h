// Shared pieces of the fuzz targets: a private scratch folder, the output held
// in memory (the tests' own), and the check that a run's output ends with a permitted line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/captured_output.h"

namespace kalimber::fuzz {

// Makes (once) and enters a private working folder, on tmpfs where there is one.
void EnterScratchFolder();

// Writes bytes to path, replacing the file; aborts when that fails.
void WriteWhole(const char* path, const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> ReadWhole(const char* path);

// True when text ends with one of the three lines that close a report.
bool EndsWithReportEnd(const std::string& text);

// Aborts (a finding for the fuzzer) with a message when ok is false.
void Require(bool ok, const char* what);

// True when the file's bytes hold "auxi" at byte 36 and reach byte 207: the
// only files a command may write into.
bool HoldsAuxiChunk(const std::vector<std::uint8_t>& file);

// Every file keeps its size. One of at least 208 bytes with "auxi" at byte 36
// may change only in bytes 36 to 207; any other file may not change at all.
void RequireOnlyAuxiChanged(const std::vector<std::uint8_t>& before,
                            const std::vector<std::uint8_t>& after);

}  // namespace kalimber::fuzz
