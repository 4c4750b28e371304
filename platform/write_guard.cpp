// The signals, size limits and locks of the write modes, on Windows and on
// POSIX systems: the first interrupt is kept for the run to end on.
#include "platform/write_guard.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kalimber {
namespace {

volatile std::sig_atomic_t g_Interrupt = 0;
std::atomic<bool> g_Done{false};

}  // namespace

int InterruptSignal() {
    return g_Interrupt;
}

void InterruptsDone() {
    g_Done = true;
}

#if defined(_WIN32)

namespace {

constexpr int kHangUp = 1;  // SIGHUP's number on POSIX systems, which Windows' headers leave out

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;  // logoff and shutdown: as the system decides
    }
    if (g_Interrupt == 0) {
        g_Interrupt = event == CTRL_CLOSE_EVENT ? kHangUp : SIGINT;
    }
    if (event == CTRL_CLOSE_EVENT) {
        // The process ends when this returns: give the file under way its
        // time (the system allows five seconds).
        for (int i = 0; i < 45 && !g_Done; ++i) {
            Sleep(100);
        }
    }
    return TRUE;
}

}  // namespace

void CatchInterrupts() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void IgnoreFileSizeSignal() {}

LockResult LockForWriting(std::FILE* file) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    OVERLAPPED at{};
    if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 316, 0, &at)) {
        return LockResult::Locked;  // released as the handle closes
    }
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
        return LockResult::Busy;
    }
    errno = EACCES;
    return LockResult::Failed;
}

#else

namespace {

void OnSignal(int signal) {
    if (g_Interrupt == 0) {
        g_Interrupt = signal;
    }
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a write under way goes on
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

LockResult LockForWriting(std::FILE* file) {
    if (flock(fileno(file), LOCK_EX | LOCK_NB) == 0) {
        return LockResult::Locked;  // released as the file closes
    }
    return errno == EWOULDBLOCK ? LockResult::Busy : LockResult::Failed;
}

#endif

}  // namespace kalimber
