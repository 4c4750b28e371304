// The command line's writers: text, JSON, CSV, --brief, --svg and quiet,
// each the same entries, one of which is picked from the options in one place.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/chain.h"
#include "cli/options.h"
#include "cli/patch.h"
#include "cli/progress.h"
#include "cli/recording.h"
#include "cli/session_picture.h"

namespace kalimber {

// The columns a CSV row of --chain adds: the first file of its chain, and
// the breaks of the link from the file before (empty where it holds).
struct ChainColumns {
    std::string Chain;
    std::string Link;
};

// One writer a run, picked once: each entry takes what it writes as values,
// and whatever a writer keeps from one entry to the next (the text report's
// first record, --svg's picture) lives in its own entries. Records go to
// standard output; columns is null outside --chain.
struct Writer {
    std::function<void()> Begin;  // before the first file: a CSV header, --brief's heading
    std::function<void(const Recording& recording, const ChainColumns* columns)> Record;
    std::function<void(const std::string& path, const std::string& reason, const ChainColumns* columns)> Error;
    std::function<void(const Chain& chain, const ChainSummary& summary)> Chain;
    std::function<void(const PatchOutcome& outcome)> Patch;
    // A report's or a patch's summary line, on standard error; -q's writer says nothing.
    std::function<void(const std::string& summary)> End;
    // After the last file: --svg writes its picture. False where what it
    // wrote is not whole (a picture with holes).
    std::function<bool()> Finish;
};

// The console and the writer the options ask for, decided here alone: quiet
// under -q (nothing on standard output, no summary), and under --summary
// one that writes the chain sections alone.
Writer PickWriter(const CommandLineOptions& options, Console& console);

// The entries every writer starts from: nothing written but the summary
// line, which goes to standard error where there is one.
Writer BaseWriter(Console& console);

// The writers, also for tests; each tells its errors through the console.
Writer MakeTextWriter(Console& console);
Writer MakeJsonWriter(Console& console);
Writer MakeCsvWriter(const CommandLineOptions& options, Console& console);
Writer MakeBriefWriter(Console& console);
Writer MakeSvgWriter(const CommandLineOptions& options);
Writer MakeQuietWriter(Console& console);

// JSON lines, each with its "type": recording, error, chain or patch.
std::string JsonRecord(const Recording& recording);
std::string JsonError(const std::string& path, const std::string& reason);
std::string JsonChain(const Chain& chain, const ChainSummary& summary);
std::string JsonPatch(const PatchOutcome& outcome);

// CSV rows: the header's names and a recording's or an error's fields,
// always as many as the header has; with --summary, one row per chain.
std::vector<std::string> CsvHeaderFields(bool chain);
std::vector<std::string> CsvRecordFields(const Recording& recording, const ChainColumns* columns);
std::vector<std::string> CsvErrorFields(const std::string& path, const std::string& reason,
                                        const ChainColumns* columns);
std::vector<std::string> CsvChainHeaderFields();
std::vector<std::string> CsvChainFields(const Chain& chain, const ChainSummary& summary);
std::string CsvRow(const std::vector<std::string>& fields);

// A text cell of CSV: well-formed UTF-8, with a ' before a first character
// that would make a spreadsheet read it as a formula (= + - @ tab CR).
std::string TextCell(std::string_view text);

// A time stamp as stored, however odd: YYYY-MM-DD hh:mm:ss.mmm.
std::string TimeText(const TimeStamp& t);

// A duration as hours, minutes, seconds and milliseconds: 5025678 -> "1:23:45.678".
std::string DurationText(std::uint64_t ms);

// The name a chain ends at, with why where it is there but not followed:
// "backup.bak (not a .wav file)".
std::string EndName(const ChainEnd& end);

// One break: "gap 5000 ms", "overlap 20 ms", "CenterFreq 7100000 -> 7050000".
std::string BreakText(const ChainBreak& b);

// The breaks of the link from one file to the next, "; " between them:
// "gap 5000 ms; CenterFreq 7100000 -> 7050000"; empty where it holds.
std::string LinkText(const ChainSummary& summary, const std::string& from, const std::string& to);

// The bytes as well-formed UTF-8: what is not becomes U+FFFD, as in JSON.
std::string WellFormedUtf8(std::string_view bytes);

// Writes text to the output as it is and flushes it, so that each record
// is out before the next file is opened.
void WriteOutput(std::string_view text);

}  // namespace kalimber
