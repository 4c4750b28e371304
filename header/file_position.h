// 64-bit file positioning for stdio streams: recordings often exceed 4 GiB.
// One shim over fseeko/ftello (POSIX) and _fseeki64/_ftelli64 (Windows).
#pragma once

#include <cstdint>
#include <cstdio>

namespace kalimber {

// Positions the stream; origin is SEEK_SET, SEEK_CUR or SEEK_END.
// Returns true on success.
bool SeekFile(std::FILE* file, std::int64_t offset, int origin);

// The stream's position as a signed 64-bit byte count, -1 on failure.
std::int64_t TellFile(std::FILE* file);

}  // namespace kalimber
