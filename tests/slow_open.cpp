// A stand-in for open that takes KALIMBER_SLOW_OPEN_MS milliseconds for each
// .wav file, preloaded into the real binary so that a process test sees a
// run over a slow card last long enough for its progress line.
// Both names are defined here, so neither may stand for the other.
#undef _FILE_OFFSET_BITS
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

using OpenCall = int (*)(const char*, int, ...);

void WaitIfRecording(const char* path) {
    const char* ms = std::getenv("KALIMBER_SLOW_OPEN_MS");
    const std::size_t length = path != nullptr ? std::strlen(path) : 0;
    if (ms != nullptr && length >= 4 && std::strcmp(path + length - 4, ".wav") == 0) {
        usleep(static_cast<useconds_t>(std::atol(ms)) * 1000);
    }
}

int Open(const char* name, const char* path, int flags, va_list arguments) {
    const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
    WaitIfRecording(path);
    const auto real = reinterpret_cast<OpenCall>(dlsym(RTLD_NEXT, name));
    return real(path, flags, mode);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = Open("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = Open("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}
