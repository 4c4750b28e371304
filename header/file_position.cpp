// 64-bit file positioning for stdio streams, mapped onto the platform's calls.
// Off_t is 64 bits on every POSIX target the tool builds for (see CMakeLists).
#include "header/file_position.h"

#include <sys/types.h>

namespace kalimber {

#if defined(_WIN32)

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return _fseeki64(file, offset, origin) == 0;
}

std::int64_t TellFile(std::FILE* file) {
    return _ftelli64(file);
}

#else

static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");

bool SeekFile(std::FILE* file, std::int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellFile(std::FILE* file) {
    return static_cast<std::int64_t>(ftello(file));
}

#endif

}  // namespace kalimber
