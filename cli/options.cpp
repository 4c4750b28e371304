// The options as CLI11 parses them, the checks that tie them together, and
// the strict reading of a frequency, which must never write a typo.
#include "cli/options.h"

#include <algorithm>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/help.h"
#include "cli/path_walk.h"
#include "header/print.h"
#include "platform/unicode.h"
#include "app/version.h"

namespace kalimber {
namespace {

constexpr const char* kUsageHint = "Try 'kalimber --help'.\n";

int UsageError(const std::string& message) {
    PrintError("kalimber: %s\n%s", EscapeControls(message).c_str(), kUsageHint);
    return ExitUsage;
}

// Digits from text at i, as they are; i is left after them.
std::string_view Digits(std::string_view text, std::size_t& i) {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    return text.substr(start, i - start);
}

}  // namespace

const std::vector<OptionSpelling> OptionTable = {
    {0, "--json", nullptr},     {0, "--csv", nullptr},          {0, "--svg", nullptr},
    {0, "--brief", nullptr},
    {'q', "--quiet", nullptr},  {'r', "--recursive", nullptr},  {0, "--cf", "HZ"},
    {0, "--bw", "HZ"},          {0, "--dry-run", nullptr},      {'P', "--preserve-mtime", nullptr},
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
        if (std::find(given.begin(), given.end(), &*known) != given.end()) {
            return name + " is given twice";
        }
        given.push_back(&*known);
        if (equals == std::string::npos && ++i == arguments.size()) {
            return name + " needs a value (" + known->Value + ")";
        }
    }
    return "";
}

HertzReading ReadHertz(std::string_view text, std::uint32_t& hertz) {
    constexpr std::uint64_t kMax = 4294967295;
    std::size_t i = 0;
    const std::string_view whole = Digits(text, i);
    if (whole.empty()) {
        return HertzReading::NotAFrequency;
    }
    std::string_view fraction;
    const bool point = i < text.size() && text[i] == '.';
    if (point) {
        ++i;
        fraction = Digits(text, i);
        if (fraction.empty()) {
            return HertzReading::NotAFrequency;
        }
    }
    std::size_t exponent = 0;
    if (i < text.size()) {
        switch (text[i]) {
            case 'k':
            case 'K': exponent = 3; ++i; break;
            case 'M': exponent = 6; ++i; break;
            case 'G': exponent = 9; ++i; break;
            default: break;  // a lower-case m (milli) or g is no suffix
        }
    }
    if (text.size() - i == 2 && (text[i] == 'H' || text[i] == 'h') && (text[i + 1] == 'Z' || text[i + 1] == 'z')) {
        i += 2;
    }
    if (i != text.size()) {
        return HertzReading::NotAFrequency;  // something after the number
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.remove_suffix(1);
    }
    if (fraction.size() > exponent) {
        return HertzReading::OutOfRange;  // not a whole number of hertz
    }
    std::uint64_t value = 0;
    for (const char c : whole) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > kMax) {
            return HertzReading::OutOfRange;
        }
    }
    std::uint64_t part = 0;  // at most nine digits
    for (std::size_t k = 0; k < exponent; ++k) {
        value *= 10;
        part = part * 10 + (k < fraction.size() ? static_cast<std::uint64_t>(fraction[k] - '0') : 0);
        if (value > kMax) {
            return HertzReading::OutOfRange;
        }
    }
    value += part;
    if (value > kMax) {
        return HertzReading::OutOfRange;
    }
    hertz = static_cast<std::uint32_t>(value);
    return HertzReading::Value;
}

bool ParseHertz(std::string_view text, std::uint32_t& hertz) {
    return ReadHertz(text, hertz) == HertzReading::Value;
}

bool ParseMaxGap(std::string_view text, std::int64_t& milliseconds) {
    std::size_t i = 0;
    const std::string_view digits = Digits(text, i);
    if (digits.empty() || i != text.size()) {
        return false;
    }
    std::int64_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > MaxGapLimitMs) {
            return false;
        }
    }
    milliseconds = value;
    return true;
}

namespace {

// A --cf or --bw value, or the usage error that names what is wrong with it.
int ReadFrequencyOption(const char* name, const std::string& text, std::optional<std::uint32_t>& value) {
    std::uint32_t hertz = 0;
    switch (ReadHertz(text, hertz)) {
        case HertzReading::Value:
            value = hertz;
            return -1;
        case HertzReading::NotAFrequency:
            return UsageError(std::string(name) + ": '" + text +
                              "' is not a frequency in hertz (7050000, 7050k, 7.05M or 7.05MHz)");
        case HertzReading::OutOfRange:
            break;
    }
    return UsageError(std::string(name) + ": '" + text + "' is not a whole number of hertz from 0 to 4294967295");
}

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
    CLI::Option* dryRun = app.add_flag("--dry-run", options.DryRun);
    CLI::Option* keepTime = app.add_flag("-P,--preserve-mtime", options.PreserveMtime);
    app.add_flag("--chain", options.Chain);
    CLI::Option* maxGapOption = app.add_option("--max-gap", maxGap)->type_name("MS");
    CLI::Option* summary = app.add_flag("--summary", options.Summary);
    // Not required here: an unknown option is told as such, before a missing PATH.
    app.add_option("PATH", options.Paths);
    try {
        // CLI11 takes a list of arguments last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
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
    if (options.Paths.empty()) {
        return UsageError("no PATH given");
    }
    const bool patch = cf->count() > 0 || bw->count() > 0;
    if (cf->count() > 0) {
        if (const int status = ReadFrequencyOption("--cf", centerFreq, options.CenterFreq); status >= 0) {
            return status;
        }
    }
    if (bw->count() > 0) {
        if (const int status = ReadFrequencyOption("--bw", bandwidth, options.Bandwidth); status >= 0) {
            return status;
        }
    }
    if (maxGapOption->count() > 0 && !ParseMaxGap(maxGap, options.MaxGapMs)) {
        return UsageError("--max-gap: '" + maxGap + "' is not a whole number of milliseconds from 0 to " +
                          std::to_string(MaxGapLimitMs));
    }
    if (dryRun->count() > 0 && !patch) {
        return UsageError("--dry-run needs --cf or --bw");
    }
    if (keepTime->count() > 0 && !patch) {
        return UsageError("--preserve-mtime needs --cf or --bw");
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
    if (maxGapOption->count() > 0 && !options.Chain) {
        return UsageError("--max-gap needs --chain");
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
    if (patch) {
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
