// The example session: two bands recorded through midnight, split into
// one-minute files, with one gap and one fork, for the README's picture and the tests.
#pragma once

#include <string>

namespace kalimber::sample {

// Writes the session's 30 files into folder (which must exist): a01.wav to
// a15.wav at 7.1 MHz from 23:52:00, b01.wav to b14.wav at 14.2 MHz from
// 23:53:30 with a 5 s gap before b08.wav, and c01.wav at 7.1 MHz after the
// others, naming a08.wav (which a07.wav names too). Each file is one minute
// of 192 kHz samples, as long as its times say; the samples are left
// unwritten (zeros, and sparse where the file system allows). False on any
// failure.
bool WriteExampleSession(const std::string& folder);

}  // namespace kalimber::sample
