// The options as CLI11 parses them, the checks that tie them together, and
// the strict reading of a frequency, which must never write a typo.
#include "cli/options.h"

#include <CLI/CLI.hpp>

#include "header/print.h"
#include "platform/unicode.h"
#include "run/version.h"

namespace kalimber {
namespace {

constexpr const char* kUsageHint = "Usage: kalimber [OPTIONS] PATH...  (kalimber --help lists them)\n";

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

bool ParseHertz(std::string_view text, std::uint32_t& hertz) {
    constexpr std::uint64_t kMax = 4294967295;
    std::size_t i = 0;
    const std::string_view whole = Digits(text, i);
    if (whole.empty()) {
        return false;
    }
    std::string_view fraction;
    const bool point = i < text.size() && text[i] == '.';
    if (point) {
        ++i;
        fraction = Digits(text, i);
        if (fraction.empty()) {
            return false;
        }
    }
    std::size_t exponent = 0;
    if (i < text.size()) {
        switch (text[i++]) {
            case 'k': exponent = 3; break;
            case 'M': exponent = 6; break;
            case 'G': exponent = 9; break;
            default: return false;
        }
    }
    if (i != text.size() || (point && exponent == 0)) {
        return false;  // something after the number, or a fraction of a hertz
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.remove_suffix(1);
    }
    if (fraction.size() > exponent) {
        return false;  // not a whole number of hertz
    }
    std::uint64_t value = 0;
    for (const char c : whole) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > kMax) {
            return false;
        }
    }
    std::uint64_t part = 0;  // at most nine digits
    for (std::size_t k = 0; k < exponent; ++k) {
        value *= 10;
        part = part * 10 + (k < fraction.size() ? static_cast<std::uint64_t>(fraction[k] - '0') : 0);
        if (value > kMax) {
            return false;
        }
    }
    value += part;
    if (value > kMax) {
        return false;
    }
    hertz = static_cast<std::uint32_t>(value);
    return true;
}

int ParseCommandLine(const std::vector<std::string>& arguments, CommandLineOptions& options) {
    CLI::App app{"Shows and checks the headers of receiver recordings, and patches their centre "
                 "frequency and bandwidth.\nWithout arguments it runs ToDoWave.txt in the working folder.",
                 "kalimber"};
    const std::string version =
        "kalimber " + std::to_string(VersionMajor) + "." + std::to_string(VersionMinor);
    app.set_version_flag("-V,--version", version);
    bool json = false;
    bool csv = false;
    std::string centerFreq;
    std::string bandwidth;
    CLI::Option* jsonFlag = app.add_flag("--json", json, "JSON Lines: one object per recording");
    CLI::Option* csvFlag = app.add_flag("--csv", csv, "CSV: a header row, then a row per recording");
    jsonFlag->excludes(csvFlag);
    app.add_flag("-r,--recursive", options.Recursive, "Descend into subfolders");
    app.add_flag("-q,--quiet", options.Quiet, "No report: the exit status alone tells");
    CLI::Option* cf = app.add_option("--cf", centerFreq, "Patch: the centre frequency in Hz (7050000, 7050k, 7.05M)")
                         ->type_name("HZ");
    CLI::Option* bw = app.add_option("--bw", bandwidth, "Patch: the bandwidth in Hz (192000, 192k)")->type_name("HZ");
    CLI::Option* dryRun = app.add_flag("--dry-run", options.DryRun, "Patch: tell what would change, write nothing");
    app.add_flag("--chain", options.Chain,
                 "Split recordings: follow NextFileName from each file, or find every chain of a folder");
    CLI::Option* maxGap = app.add_option("--max-gap", options.MaxGapMs,
                                         "Chains: how far apart one file's stop and the next start may be")
                              ->type_name("MS")
                              ->check(CLI::NonNegativeNumber);
        // Not required here: an unknown option is told as such, before a missing PATH.
    app.add_option("PATH", options.Paths, "Recordings, folders (their .wav files) and wildcards");
    try {
        // CLI11 takes a list of arguments last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        Print("%s", app.help().c_str());
        return ExitOk;
    } catch (const CLI::CallForVersion&) {
        Print("%s\n", version.c_str());
        return ExitOk;
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what());
    }
    if (options.Paths.empty()) {
        return UsageError("no PATH given");
    }
    const bool patch = cf->count() > 0 || bw->count() > 0;
    if (cf->count() > 0) {
        std::uint32_t hertz = 0;
        if (!ParseHertz(centerFreq, hertz)) {
            return UsageError("--cf " + centerFreq + ": not a whole number of hertz from 0 to 4294967295");
        }
        options.CenterFreq = hertz;
    }
    if (bw->count() > 0) {
        std::uint32_t hertz = 0;
        if (!ParseHertz(bandwidth, hertz)) {
            return UsageError("--bw " + bandwidth + ": not a whole number of hertz from 0 to 4294967295");
        }
        options.Bandwidth = hertz;
    }
    if (dryRun->count() > 0 && !patch) {
        return UsageError("--dry-run needs --cf or --bw");
    }
    if (maxGap->count() > 0 && !options.Chain) {
        return UsageError("--max-gap needs --chain");
    }
    if (options.Chain && options.Recursive) {
        return UsageError("--chain follows links within one folder; -r does not go with it");
    }
    if (patch && csv) {
        return UsageError("--csv reports; a patch writes text or --json");
    }
    options.Format = json ? OutputFormat::Json : csv ? OutputFormat::Csv : OutputFormat::Text;
    return -1;
}

}  // namespace kalimber
