// A stand-in for fsync that always fails with EIO, preloaded into the real
// binary so that a process test sees a run whose device refuses the sync.
#include <cerrno>

extern "C" int fsync(int) {
    errno = EIO;
    return -1;
}
