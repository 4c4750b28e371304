// What keeps a write mode's files whole against the world: signals that
// would stop it halfway, file size limits, and another run on the same file.
#pragma once

#include <cstdio>

namespace kalimber {

// From here on, Ctrl-C, Ctrl-Break, a termination signal, a hang-up or a
// closed console window no longer end the process: the first one is kept,
// and the run ends after the file under way. A second one changes nothing.
void CatchInterrupts();

// The first interrupt caught, as its POSIX signal number (SIGINT for Ctrl-C
// and Ctrl-Break, SIGHUP for a closed console on Windows); 0 while none came.
int InterruptSignal();

// Lets the process end once the last file is done (Windows waits for this
// while its console is being closed).
void InterruptsDone();

// A file size limit gives a short write, which is undone, instead of
// ending the process (SIGXFSZ ignored; nothing to do on Windows).
void IgnoreFileSizeSignal();

enum class LockResult { Locked, Busy, Failed };

// Locks the open file for this process alone until it is closed: flock
// (LOCK_EX | LOCK_NB) on POSIX, LockFileEx on the header's bytes on
// Windows. Busy where another process holds it; Failed (errno set) where
// the system cannot lock it.
LockResult LockForWriting(std::FILE* file);

}  // namespace kalimber
