// The example sessions: two bands recorded through midnight, split into one-minute
// files with one gap and one fork; and a crowded minute of four bands, far and near.
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

// A crowded minute from 12:00:00 on 2026-12-01: a1.wav to a9.wav at 7.1 MHz,
// 4.8 s each with 1.5 s between them (8 breaks); b1.wav to b3.wav at 7.2 MHz
// from 12:00:10, 19.2 s each, end to end; c.wav at 1 MHz and d.wav at
// 145 MHz, 57.6 s each. Every band is 192 kHz wide.
bool WriteCrowdedSession(const std::string& folder);

}  // namespace kalimber::sample
