// What both systems share of the platform calls: the table of system calls that
// tests replace, and the file size through the 64-bit seek of each system.
#include "platform/platform.h"

#include <cstdint>
#include <cstdio>

#include "platform/system_calls.h"

namespace kalimber {

std::int64_t FileSize(std::FILE* file) {
    return SeekFile(file, 0, SEEK_END) ? TellFile(file) : -1;
}

namespace {

std::size_t Write(const void* bytes, std::size_t length, std::FILE* file) {
    return std::fwrite(bytes, 1, length, file);
}

constexpr PlatformCalls kSystemCalls{&os::Sync,       &Write,
                                     &os::IsConsole,  &os::WriteConsoleLine,
                                     &os::DecodeAnsi, &os::OwnsConsoleAlone,
                                     &os::WaitForEnter};

}  // namespace

PlatformCalls g_Platform = kSystemCalls;

PlatformCalls SystemCalls() {
    return kSystemCalls;
}

}  // namespace kalimber
