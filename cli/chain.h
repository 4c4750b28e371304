// Split recordings: the chains of files that NextFileName links, found from a
// first file or in a folder, and the checks that each link holds together.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/path_walk.h"
#include "cli/recording.h"
#include "header/fields.h"
#include "header/check.h"
#include "header/duration.h"
#include "header/recording_header.h"
#include "platform/platform.h"

namespace kalimber {

// The name a chain could not follow, and the file that names it; for a
// fork, First is the first file of the chain that already holds it.
struct ChainEnd {
    std::string Name;
    std::string NamedBy;
    std::string First;
    std::string Why;  // of a missing name that is there: "not a .wav file"
};

struct Chain {
    std::vector<Recording> Files;
    std::optional<ChainEnd> Missing;  // a name that is no .wav file of the folder
    std::optional<ChainEnd> Loop;     // a file already in this chain
    std::optional<ChainEnd> Fork;     // a file already in an earlier chain
};

// What a folder or a first file holds: its chains in the order of their
// first files, and the files of a folder that fail the check and so start
// no chain; Error is the reason where the folder cannot be listed.
struct ChainSet {
    std::vector<Chain> Chains;
    std::vector<Recording> Strays;
    std::string Error;
    std::size_t Listed = 0;  // the .wav files the folder holds, chained before or not
};

// The fields that must not change from one file of a chain to the next.
inline constexpr const FieldRow* ChainFields[] = {&field::SampleRate, &field::NumChannels,
                                                  &field::BitPerSample, &field::AudioFormat,
                                                  &field::CenterFreq, &field::Bandwidth};

enum class BreakKind { Gap, Overlap, Unreadable, Field };

// One link that does not hold: a gap or an overlap of GapMs, time stamps that
// are no date and time, or a field (Check included) that differs.
struct ChainBreak {
    std::string From;
    std::string To;
    BreakKind Kind = BreakKind::Gap;
    std::int64_t GapMs = 0;
    std::string Field;
    bool OfCheck = false;        // the check differs, not a field: its names are FromCheck and ToCheck
    std::int64_t FromValue = 0;  // a field's values; the check's are its names
    std::int64_t ToValue = 0;
    std::string FromCheck;
    std::string ToCheck;
};

// Everything the chain's section shows.
struct ChainSummary {
    std::vector<ChainBreak> Breaks;
    TimeStamp StartTime{};  // the first file's
    TimeStamp StopTime{};   // the last file's
    std::uint64_t WavFileDurationMillisec = 0;  // the files' durations added up
};

// a + b, held at the largest value where it would wrap: durations are whole
// and can each come near 2^63 ms for a file with an odd sample rate.
inline std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b) {
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

// True when no link breaks and the chain ends where its last file names
// none (no missing name, loop or fork).
bool HoldsTogether(const Chain& chain, const ChainSummary& summary);

// The file named by a NextFileName: up to its first NUL, after its last / or \.
std::string LinkName(std::string_view nextFileName);

// How a file is taken in: loaded, or (with a patch) patched and loaded as
// it then stands. Each file the chains hold is taken in once.
using TakeFile = std::function<Recording(const FoundPath&)>;

// seen: every file already in a chain of this run, by its identity, with
// the first file of that chain; a file in seen starts no chain again.
using FilesInChains = std::map<FileIdentity, std::string>;

// The chain that starts at a file taken in already (none where seen holds
// it), or every chain of a folder's .wav files (each starts at a file that
// passes the check and that no other one names; a loop without such a head
// at its bytewise-lowest name), in the order of their first files.
ChainSet FileChains(Recording start, FilesInChains& seen, const TakeFile& take);
ChainSet FolderChains(const FoundPath& folder, FilesInChains& seen, const TakeFile& take);

// The chains of a folder, then those of each subfolder below it in order of
// name (for a picture of a tree); a subfolder that cannot be listed is a
// stray that could not be read.
ChainSet TreeChains(const FoundPath& folder, FilesInChains& seen, const TakeFile& take);

// A stored time as a point on the calendar (the header's own clock), or
// nullopt for month 13, hour 25 and the like.
std::optional<std::chrono::sys_time<std::chrono::milliseconds>> Instant(const TimeStamp& t);

// Milliseconds from stop to start on the calendar; nullopt where either is
// no valid date and time.
std::optional<std::int64_t> GapMillisec(const TimeStamp& stop, const TimeStamp& start);

ChainSummary CheckChain(const Chain& chain, std::int64_t maxGapMs);

}  // namespace kalimber
