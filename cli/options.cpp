// The options as CLI11 parses them, the checks that tie them together, and
// the strict reading of a frequency, which must never write a typo.
#include "cli/options.h"

#include <algorithm>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/calendar.h"
#include "cli/edit_options.h"
#include "cli/field_values.h"
#include "cli/help.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "header/print.h"
#include "platform/unicode.h"
#include "version.h"

namespace kalimber {
namespace {

constexpr const char* kUsageHint = "Try 'kalimber --help'.";

int UsageError(const std::string& message) {
    return TellUsageError(message);
}

}  // namespace

int TellUsageError(const std::string& message) {
    Console before;  // told before any progress line is drawn
    TellError(before, message);
    TellLine(before, kUsageHint);
    return ExitUsage;
}

bool Repeatable(const OptionSpelling& option) {
    return option.Value != nullptr && std::string_view(option.Value) == "FIELD=VALUE";
}

const std::vector<OptionSpelling> OptionTable = {
    {0, "--json", nullptr},     {0, "--csv", nullptr},          {0, "--svg", nullptr},
    {0, "--brief", nullptr},
    {'q', "--quiet", nullptr},  {'r', "--recursive", nullptr},  {0, "--cf", "HZ"},
    {0, "--bw", "HZ"},          {0, "--set", "FIELD=VALUE"},    {0, "--shift", "DURATION"},
    {0, "--start", "TIME"},     {0, "--stop-from-duration", nullptr}, {0, "--relink", nullptr},
    {0, "--fix-sizes", nullptr}, {0, "--where", "FIELD=VALUE"},
    {0, "--log", "FILE"},       {0, "--undo", "LOG"},
    {0, "--dry-run", nullptr},  {'P', "--preserve-mtime", nullptr},
    {0, "--chain", nullptr},    {0, "--max-gap", "MS"},         {0, "--summary", nullptr},
    {'h', "--help", nullptr},   {'V', "--version", nullptr},
};

std::string MisspelledOption(const std::vector<std::string>& arguments) {
    std::vector<const OptionSpelling*> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            break;  // paths only from here on
        }
        if (argument.size() < 2 || argument[0] != '-') {
            continue;  // a path, or - alone
        }
        if (argument[1] != '-') {
            // One or more short flags: -q, -rq.
            for (std::size_t k = 1; k < argument.size(); ++k) {
                const auto known = std::find_if(OptionTable.begin(), OptionTable.end(),
                                               [&](const OptionSpelling& o) { return o.Short == argument[k]; });
                if (argument[k] == '=' && k > 1) {
                    return std::string("-") + argument[k - 1] + " takes no value";
                }
                if (known == OptionTable.end()) {
                    return "unknown option '-" + argument.substr(k, 1) + "'";
                }
            }
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto known = std::find_if(OptionTable.begin(), OptionTable.end(),
                                       [&](const OptionSpelling& o) { return name == o.Long; });
        if (known == OptionTable.end()) {
            return "unknown option '" + name + "'";
        }
        if (known->Value == nullptr) {
            if (equals != std::string::npos) {
                return name + " takes no value";
            }
            continue;
        }
        if (std::find(given.begin(), given.end(), &*known) != given.end() && !Repeatable(*known)) {
            return name + " is given twice";
        }
        given.push_back(&*known);
        if (equals == std::string::npos && ++i == arguments.size()) {
            return name + " needs a value (" + known->Value + ")";
        }
    }
    return "";
}

namespace {

// A word that is a unit on its own: a slip such as --cf 7050 kHz.
bool IsUnit(std::string_view word) {
    static constexpr std::string_view kUnits[] = {"hz", "khz", "mhz", "ghz", "k", "m", "g", "ms", "s", "min", "h", "d"};
    std::string folded(word);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return std::find(std::begin(kUnits), std::end(kUnits), folded) != std::end(kUnits);
}

// A write never starts on doubt: every PATH must name something before the
// first file is written, or nothing is. A PATH that is a unit comes from a
// number and its unit written apart, and the option it belongs to is named.
int CheckPathsOfAWrite(const std::vector<std::string>& arguments, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (NamesSomething(path)) {
            continue;
        }
        if (!IsUnit(path)) {
            return UsageError("'" + path + "' is no file or folder; nothing is written");
        }
        // The frequency just before it, as --cf 7050 or --cf=7050, with the
        // unit where the two make one.
        const auto at = std::find(arguments.begin(), arguments.end(), path);
        std::string option;
        std::string value;
        if (at != arguments.begin()) {
            const std::string& before = *(at - 1);
            const std::size_t equals = before.find('=');
            if (before.rfind("--", 0) == 0 && equals != std::string::npos) {
                option = before.substr(0, equals);
                value = before.substr(equals + 1);
            } else if (at - arguments.begin() >= 2) {
                option = *(at - 2);
                value = before;
            }
        }
        const bool frequency = std::any_of(OptionTable.begin(), OptionTable.end(), [&](const OptionSpelling& o) {
            return option == o.Long && o.Value != nullptr && std::string_view(o.Value) == "HZ";
        });
        std::uint32_t hertz = 0;
        if (frequency && ReadHertz(value + path, hertz) == HertzReading::Value) {
            return UsageError("'" + path + "' is not a file: did you mean " + option + " " + value + path + "?");
        }
        return UsageError("'" + path + "' is not a file but a unit, apart from its number; nothing is written");
    }
    return -1;
}

// Each value option's value joined to it (--shift=-1h), so that a value
// that starts with - is never read as an option.
std::vector<std::string> JoinValues(const std::vector<std::string>& arguments) {
    std::vector<std::string> joined;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            joined.insert(joined.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
            break;
        }
        const bool value = std::any_of(OptionTable.begin(), OptionTable.end(), [&](const OptionSpelling& o) {
            return o.Value != nullptr && argument == o.Long;
        });
        if (value && i + 1 < arguments.size()) {
            joined.push_back(argument + "=" + arguments[++i]);
        } else {
            joined.push_back(argument);
        }
    }
    return joined;
}

}  // namespace

int ParseCommandLine(const std::vector<std::string>& arguments, CommandLineOptions& options) {
    // The shape first, so that every usage error is told in the tool's words.
    if (const std::string wrong = MisspelledOption(arguments); !wrong.empty()) {
        return UsageError(wrong);
    }
    CLI::App app{"Shows and checks the headers of receiver recordings, and patches their centre "
                 "frequency and bandwidth.\nWithout arguments it runs ToDoWave.txt in the working folder.",
                 "kalimber"};
    const std::string version =
        "kalimber " + std::to_string(VersionMajor) + "." + std::to_string(VersionMinor);
    // A path such as /data/rec.wav is a path on every system, never a /option.
    app.allow_windows_style_options(false);
    // The help is a text of its own; the parser only finds the flag.
    app.set_help_flag("-h,--help");
    app.set_version_flag("-V,--version", version);
    bool json = false;
    bool csv = false;
    bool svg = false;
    bool brief = false;
    std::string centerFreq;
    std::string bandwidth;
    std::string maxGap;
    app.add_flag("--json", json);
    app.add_flag("--csv", csv);
    app.add_flag("--svg", svg);
    app.add_flag("--brief", brief);
    app.add_flag("-r,--recursive", options.Recursive);
    app.add_flag("-q,--quiet", options.Quiet);
    CLI::Option* cf = app.add_option("--cf", centerFreq)->type_name("HZ");
    CLI::Option* bw = app.add_option("--bw", bandwidth)->type_name("HZ");
    std::vector<std::string> sets;
    std::vector<std::string> wheres;
    std::string shift;
    std::string start;
    app.add_option("--set", sets)->type_name("FIELD=VALUE")->allow_extra_args(false);
    app.add_option("--where", wheres)->type_name("FIELD=VALUE")->allow_extra_args(false);
    CLI::Option* shiftOption = app.add_option("--shift", shift)->type_name("DURATION");
    CLI::Option* startOption = app.add_option("--start", start)->type_name("TIME");
    app.add_flag("--stop-from-duration", options.Edits.StopFromDuration);
    app.add_flag("--relink", options.Edits.Relink);
    app.add_flag("--fix-sizes", options.Edits.FixSizes);
    CLI::Option* logOption = app.add_option("--log", options.LogPath)->type_name("FILE");
    CLI::Option* undoOption = app.add_option("--undo", options.UndoLog)->type_name("LOG");
    CLI::Option* dryRun = app.add_flag("--dry-run", options.DryRun);
    CLI::Option* keepTime = app.add_flag("-P,--preserve-mtime", options.PreserveMtime);
    app.add_flag("--chain", options.Chain);
    CLI::Option* maxGapOption = app.add_option("--max-gap", maxGap)->type_name("MS");
    CLI::Option* summary = app.add_flag("--summary", options.Summary);
    // Not required here: an unknown option is told as such, before a missing PATH.
    app.add_option("PATH", options.Paths);
    try {
        // CLI11 takes a list of arguments last first.
        const std::vector<std::string> joined = JoinValues(arguments);
        std::vector<std::string> reversed(joined.rbegin(), joined.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        Print("%s", HelpText);
        return ExitOk;
    } catch (const CLI::CallForVersion&) {
        Print("%s\n", version.c_str());
        return ExitOk;
    } catch (const CLI::ParseError&) {
        // The shape was checked: the parser's own text would only puzzle.
        return UsageError("the options cannot be read as given");
    }
    if (json && csv) {
        return UsageError("--json excludes --csv");
    }
    if (svg && (json || csv)) {
        return UsageError(std::string("--svg excludes ") + (json ? "--json" : "--csv"));
    }
    if (brief && (json || csv || svg)) {
        return UsageError(std::string("--brief excludes ") + (json ? "--json" : csv ? "--csv" : "--svg"));
    }
    const bool undo = undoOption->count() > 0;
    if (undo && options.UndoLog.empty()) {
        return UsageError("--undo needs a log (LOG)");
    }
    if (logOption->count() > 0 && options.LogPath.empty()) {
        return UsageError("--log needs a file (FILE)");
    }
    if (undo && !options.Paths.empty()) {
        return UsageError("--undo takes its files from the log; no PATH goes with it");
    }
    if (options.Paths.empty() && !undo) {
        return UsageError("no PATH given");
    }
    // The parser takes the arguments last first: the repeated ones back in order.
    std::reverse(sets.begin(), sets.end());
    std::reverse(wheres.begin(), wheres.end());
    if (const int status = ReadSettings(sets, cf->count() > 0 ? &centerFreq : nullptr,
                                        bw->count() > 0 ? &bandwidth : nullptr, options.Edits.Sets);
        status >= 0) {
        return status;
    }
    if (const int status = ReadWheres(wheres, options.Wheres); status >= 0) {
        return status;
    }
    Repairs& edits = options.Edits;
    if (shiftOption->count() > 0 && !(edits.ShiftMs = ReadDuration(shift))) {
        return UsageError("--shift: '" + shift +
                          "' is not a duration in whole milliseconds (+1h, -1h30min, +2.5s, -250ms or -01:30:00)");
    }
    if (startOption->count() > 0 && !(edits.Start = ReadTime(start))) {
        return UsageError("--start: '" + start + "' is not a time YYYY-MM-DDTHH:MM:SS[.mmm] on a real date from 1601 to 30827");
    }
    const bool patch = Patches(options);
    if (undo && (patch && (!edits.Sets.empty() || edits.ShiftMs || edits.Start || edits.StopFromDuration ||
                           edits.Relink || edits.FixSizes))) {
        return UsageError("--undo takes its edits from the log; no other edit goes with it");
    }
    if (undo && (!options.Wheres.empty() || options.Chain || options.Recursive)) {
        return UsageError("--undo takes the files of the log as it names them; --where, --chain and -r do not go with it");
    }
    if (logOption->count() > 0 && !patch) {
        return UsageError("--log needs an edit or --undo");
    }
    const bool moves = edits.ShiftMs || edits.Start || edits.StopFromDuration;
    for (const FieldSetting& setting : edits.Sets) {
        const std::string name = FieldName(*setting.Row);
        const FieldKind kind = setting.Row->Kind;
        if (moves && kind == FieldKind::Time) {
            return UsageError("--set " + name + "= excludes " +
                              (edits.ShiftMs ? "--shift" : edits.Start ? "--start" : "--stop-from-duration"));
        }
        if (edits.Relink && kind == FieldKind::Text) {
            return UsageError("--set " + name + "= excludes --relink");
        }
    }
    if (edits.ShiftMs && edits.Start) {
        return UsageError("--shift excludes --start");
    }
    if (edits.Relink && options.Chain) {
        return UsageError("--relink writes the links that --chain follows; the two do not go together");
    }
    if (maxGapOption->count() > 0 && !ParseMaxGap(maxGap, options.MaxGapMs)) {
        return UsageError("--max-gap: '" + maxGap + "' is not a whole number of milliseconds from 0 to " +
                          std::to_string(MaxGapLimitMs));
    }
    constexpr const char* kEdits =
        "an edit (--cf, --bw, --set, --shift, --start, --stop-from-duration, --relink, --fix-sizes or --undo)";
    if (dryRun->count() > 0 && !patch) {
        return UsageError(std::string("--dry-run needs ") + kEdits);
    }
    if (keepTime->count() > 0 && !patch) {
        return UsageError(std::string("--preserve-mtime needs ") + kEdits);
    }
    if (svg && patch) {
        return UsageError("--svg draws a report; a patch writes text or --json");
    }
    if (svg && summary->count() > 0) {
        return UsageError("--svg draws every file; --summary does not go with it");
    }
    // The picture is of the chains, with or without --chain; and of the
    // subfolders' chains with -r.
    options.Chain = options.Chain || svg;
    if (maxGapOption->count() > 0 && !options.Chain && !edits.Relink) {
        return UsageError("--max-gap needs --chain or --relink");
    }
    if (!options.Wheres.empty() && options.Chain && !patch) {
        return UsageError("--where picks the files of a patch or a report; a chain is shown whole");
    }
    if (summary->count() > 0 && (!options.Chain || patch)) {
        return UsageError("--summary goes with --chain, without a patch");
    }
    if (options.Chain && options.Recursive && !svg) {
        return UsageError("--chain follows links within one folder; -r does not go with it");
    }
    if (patch && (csv || brief)) {
        return UsageError(std::string(csv ? "--csv" : "--brief") + " reports; a patch writes text or --json");
    }
    if (patch && !undo) {
        if (const int status = CheckPathsOfAWrite(arguments, options.Paths); status >= 0) {
            return status;
        }
    }
    options.Format = json    ? OutputFormat::Json
                     : csv   ? OutputFormat::Csv
                     : svg   ? OutputFormat::Svg
                     : brief ? OutputFormat::Brief
                             : OutputFormat::Text;
    return -1;
}

}  // namespace kalimber
