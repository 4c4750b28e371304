// The command line's writers: text, JSON, CSV and quiet, each a table of the
// same entries, one of which is picked from the options in one place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/chain.h"
#include "cli/options.h"
#include "cli/patch.h"
#include "cli/recording.h"

namespace kalimber {

// The columns a CSV row of --chain adds: the first file of its chain, and
// the breaks of the link from the file before (empty where it holds).
struct ChainColumns {
    std::string Chain;
    std::string Link;
};

// What has been written so far, for the text report's blank line between
// recordings.
struct WriterState {
    bool Wrote = false;
};

// Every entry takes what it writes as a value; columns is null outside --chain.
struct Writer {
    void (*Begin)(const CommandLineOptions& options);
    void (*Record)(WriterState& state, const Recording& recording, const ChainColumns* columns);
    void (*Error)(const std::string& path, const std::string& reason, const ChainColumns* columns);
    void (*Chain)(const Chain& chain, const ChainSummary& summary);
    void (*Patch)(const PatchOutcome& outcome);
    void (*End)(const std::string& summary);  // a report's last line, on standard error
};

// The writer the options ask for: quiet under -q (nothing on standard
// output), and under --summary one that writes the chain sections alone.
Writer PickWriter(const CommandLineOptions& options);

// A report's summary line on standard error, where there is one.
void WriteSummaryLine(const std::string& summary);

// The writers' own entries, also for tests.
extern const Writer TextWriter;
extern const Writer JsonWriter;
extern const Writer CsvWriter;
extern const Writer QuietWriter;

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

// The breaks of the link from one file to the next, "; " between them:
// "gap 5000 ms; CenterFreq 7100000 -> 7050000"; empty where it holds.
std::string LinkText(const ChainSummary& summary, const std::string& from, const std::string& to);

// The bytes as well-formed UTF-8: what is not becomes U+FFFD, as in JSON.
std::string WellFormedUtf8(std::string_view bytes);

// Writes text to the output as it is and flushes it, so that each record
// is out before the next file is opened.
void WriteOutput(std::string_view text);

}  // namespace kalimber
