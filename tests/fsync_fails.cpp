// A stand-in for fsync that fails with EIO, preloaded into the real binary so
// that a process test sees a device refuse the sync. KALIMBER_FSYNC_FAILS_AT
// picks the one call that fails (1 is the first); unset or empty, every call does.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" int fsync(int fd) {
    static long calls = 0;
    const char* at = std::getenv("KALIMBER_FSYNC_FAILS_AT");
    ++calls;
    if (at != nullptr && *at != '\0' && std::atol(at) != calls) {
        return fdatasync(fd);  // the data reaches the device as a real sync would
    }
    errno = EIO;
    return -1;
}
