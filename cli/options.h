// The command line's options: report or patch, in which form, over which paths.
// A usage error is found here, before any file is opened.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "header/fields.h"

namespace kalimber {

inline constexpr int ExitOk = 0;      // every path opened, every file a recording (or patched)
inline constexpr int ExitFailed = 1;  // a path could not be opened, or a file failed
inline constexpr int ExitUsage = 2;   // the command line itself is wrong

enum class OutputFormat { Text, Json, Csv, Svg, Brief };

// --set FIELD=VALUE (and --cf, --bw): the bytes the field is to hold.
struct FieldSetting {
    const FieldRow* Row = nullptr;
    std::array<std::uint8_t, 96> Bytes{};
};

// --where FIELD=VALUE: a file matches where its field (or, with Row null,
// its check) reads as Value.
struct FieldWanted {
    const FieldRow* Row = nullptr;
    std::string Value;
};

// What a write mode changes in each file it takes.
struct Repairs {
    std::vector<FieldSetting> Sets;
    std::optional<std::int64_t> ShiftMs;  // StartTime and StopTime moved by this
    std::optional<TimeStamp> Start;        // the (first) file starts then
    bool StopFromDuration = false;         // StopTime is StartTime plus the duration
    bool Relink = false;                   // NextFileName chains the files in time order
    bool FixSizes = false;                 // the RIFF and data chunk sizes fit the file
};

struct CommandLineOptions {
    OutputFormat Format = OutputFormat::Text;
    bool Recursive = false;
    bool Quiet = false;
    // Any one given: the patch mode.
    Repairs Edits;
    // The files a patch takes, or a report shows.
    std::vector<FieldWanted> Wheres;
    std::string LogPath;   // --log: where each write's intent and outcome go
    std::string UndoLog;   // --undo: the log whose writes are undone
    bool DryRun = false;
    bool PreserveMtime = false;
    // Follow NextFileName from each file, or find the chains of each folder.
    bool Chain = false;
    std::int64_t MaxGapMs = 1000;
    // Only the chain sections (CSV: one row per chain).
    bool Summary = false;
    std::vector<std::string> Paths;
};

// True when the options ask for a write (a patch, or --undo) rather than a report.
inline bool Patches(const CommandLineOptions& options) {
    const Repairs& e = options.Edits;
    return !e.Sets.empty() || e.ShiftMs || e.Start || e.StopFromDuration || e.Relink || e.FixSizes ||
           !options.UndoLog.empty();
}

// The longest gap --max-gap takes: a day.
inline constexpr std::int64_t MaxGapLimitMs = 86400000;

// One option as the command line spells it: its short letter (0 for none),
// its long name, and the placeholder of its value (nullptr for a flag).
struct OptionSpelling {
    char Short;
    const char* Long;
    const char* Value;
};

// Every option the command line knows, in the order of the help page.
extern const std::vector<OptionSpelling> OptionTable;

// Tells a usage error in one line and "Try 'kalimber --help'."; ExitUsage.
int TellUsageError(const std::string& message);

// True for an option that may be given more than once (--set, --where).
bool Repeatable(const OptionSpelling& option);

// Why the arguments are no command line, in the tool's own words (an
// unknown option, a value missing or given to a flag, a value option given
// twice, where it is not repeatable), or empty where their shape is right. Looks at the shape only.
std::string MisspelledOption(const std::vector<std::string>& arguments);

// Reads the arguments (the program's name not among them) into options.
// Returns -1 when the tool goes on with them; otherwise the exit status:
// 0 after --help or --version, printed on standard output, and 2 after a
// usage error, told in one line and "Try 'kalimber --help'." on standard error.
int ParseCommandLine(const std::vector<std::string>& arguments, CommandLineOptions& options);

// How a frequency reads: as a value, as no frequency at all (a typo, a
// lower-case m), or as one that is no whole number of hertz in range.
enum class HertzReading { Value, NotAFrequency, OutOfRange };

// A frequency as the patch mode takes it: decimal hertz with an optional
// suffix k, K, M or G and an optional Hz in any case (7050000, 7050k, 7.05M,
// 7.05MHz), coming to a whole number of hertz from 0 to 4294967295. hertz is
// set only for a value.
HertzReading ReadHertz(std::string_view text, std::uint32_t& hertz);

// A whole number of milliseconds from 0 to MaxGapLimitMs, digits only.
bool ParseMaxGap(std::string_view text, std::int64_t& milliseconds);

}  // namespace kalimber
