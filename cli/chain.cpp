// Follows NextFileName from file to file within one folder, never beyond it,
// and checks each link: the time from one file's stop to the next one's
// start, and the fields that a split recording keeps.
#include "cli/chain.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <set>
#include <system_error>

#include "cli/writers.h"
#include "platform/platform.h"

namespace kalimber {
namespace {

namespace fs = std::filesystem;

// Loads a file's header from the zero state; false where it cannot be opened.
bool LoadFrom(const FoundPath& file) {
    ResetRecordingState();
    std::string error;
    std::FILE* recording = OpenRecording(file.Path, false, error);
    if (recording == nullptr) {
        return false;
    }
    LoadHeaderAtOnce(recording);
    CheckRecording(recording);
    std::fclose(recording);
    return true;
}

std::string NextNameOf(const FoundPath& file) {
    if (!LoadFrom(file)) {
        return "";
    }
    const auto& field = g_RecordingHeader.Auxi.NextFileName;
    return LinkName(std::string_view(reinterpret_cast<const char*>(field), sizeof field));
}

// Follows the links from start; a file in seen (this chain's or another's) is a loop.
Chain Follow(const FoundPath& start, std::set<std::string>& seen) {
    Chain chain;
    FoundPath file = start;
    for (;;) {
        chain.Files.push_back(file);
        seen.insert(file.Text);
        const std::string name = NextNameOf(file);
        if (name.empty()) {
            return chain;  // the last file names none
        }
        const fs::path next = file.Path.parent_path() / PathFromText(name);
        std::error_code error;
        if (name == "." || name == ".." || !NameStaysInFolder(name) || !fs::is_regular_file(next, error)) {
            chain.Missing = ChainEnd{name, file.Text};
            return chain;
        }
        FoundPath found{next, PathText(next), ""};
        if (seen.count(found.Text) != 0) {
            chain.Loop = ChainEnd{name, file.Text};
            return chain;
        }
        file = std::move(found);
    }
}

std::vector<Chain> FolderChains(const fs::path& folder) {
    std::string error;
    const std::vector<FolderEntry> entries = ListFolder(folder, false, error);
    if (!error.empty()) {
        return {Chain{{FoundPath{folder, PathText(folder), error}}, {}, {}}};
    }
    std::set<std::string> named;  // names that another file of the folder names, as bytes
    for (const FolderEntry& entry : entries) {
        const std::string next = NextNameOf(entry.File);
        if (next != entry.Name) {
            named.insert(next);
        }
    }
    std::vector<Chain> chains;
    std::set<std::string> seen;
    for (const FolderEntry& entry : entries) {
        if (named.count(entry.Name) == 0) {
            chains.push_back(Follow(entry.File, seen));
        }
    }
    for (const FolderEntry& entry : entries) {
        if (seen.count(entry.File.Text) == 0) {
            chains.push_back(Follow(entry.File, seen));  // a loop with no head
        }
    }
    std::stable_sort(chains.begin(), chains.end(), [](const Chain& a, const Chain& b) {
        return PathText(a.Files.front().Path.filename()) < PathText(b.Files.front().Path.filename());
    });
    return chains;
}

// A stored time as a point on the calendar, or nullopt for month 13, hour 25 and the like.
std::optional<std::chrono::sys_time<std::chrono::milliseconds>> Instant(const TimeStamp& t) {
    using namespace std::chrono;
    const unsigned monthValue = t.Month.Get();
    const unsigned dayValue = t.Day.Get();
    if (monthValue < 1 || monthValue > 12 || dayValue < 1 || dayValue > 31 || t.Hour.Get() > 23 ||
        t.Minute.Get() > 59 || t.Second.Get() > 59 || t.Millisecond.Get() > 999) {
        return std::nullopt;
    }
    const year_month_day date{year{static_cast<int>(t.Year.Get())}, month{monthValue}, day{dayValue}};
    if (!date.ok()) {
        return std::nullopt;  // 30 February, or a year beyond the calendar's
    }
    return sys_days{date} + hours{t.Hour.Get()} + minutes{t.Minute.Get()} + seconds{t.Second.Get()} +
           milliseconds{t.Millisecond.Get()};
}

}  // namespace

bool HoldsTogether(const Chain& chain, const ChainSummary& summary) {
    return summary.Breaks.empty() && !chain.Missing && !chain.Loop;
}

std::string LinkName(std::string_view nextFileName) {
    const std::string_view name = nextFileName.substr(0, nextFileName.find('\0'));
    const std::size_t cut = name.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

std::vector<Chain> FindChains(const FoundPath& start) {
    std::error_code error;
    if (start.Error.empty() && fs::is_directory(start.Path, error)) {
        return FolderChains(start.Path);
    }
    std::set<std::string> seen;
    return {Follow(start, seen)};
}

ChainFacts LoadChainFacts(const FoundPath& file) {
    ChainFacts facts;
    LoadFrom(file);  // a file that cannot be opened shows the zero state, and fails the check
    const RecordingHeader& h = g_RecordingHeader;
    facts.Check = CheckVendorChunk();
    facts.StartTime = h.Auxi.StartTime;
    facts.StopTime = h.Auxi.StopTime;
    facts.WavFileDurationMillisec = g_WavFileDurationMillisec;
    const std::int64_t fields[6] = {h.Fmt.SampleRate.Get(),   h.Fmt.NumChannels.Get(),
                                    h.Fmt.BitPerSample.Get(), h.Fmt.AudioFormat.Get(),
                                    h.Auxi.CenterFreq.Get(),  h.Auxi.Bandwidth.Get()};
    std::copy(std::begin(fields), std::end(fields), facts.Fields);
    return facts;
}

std::optional<std::int64_t> GapMillisec(const TimeStamp& stop, const TimeStamp& start) {
    const auto from = Instant(stop);
    const auto to = Instant(start);
    if (!from || !to) {
        return std::nullopt;
    }
    return (*to - *from).count();
}

ChainSummary CheckChain(const Chain& chain, const std::vector<ChainFacts>& facts, std::int64_t maxGapMs) {
    ChainSummary summary;
    if (facts.empty()) {
        return summary;
    }
    summary.StartTime = facts.front().StartTime;
    summary.StopTime = facts.back().StopTime;
    for (std::size_t i = 0; i < facts.size(); ++i) {
        summary.WavFileDurationMillisec += facts[i].WavFileDurationMillisec;
        if (i == 0) {
            continue;
        }
        const ChainFacts& a = facts[i - 1];
        const ChainFacts& b = facts[i];
        ChainBreak link;
        link.From = chain.Files[i - 1].Text;
        link.To = chain.Files[i].Text;
        const std::optional<std::int64_t> gap = GapMillisec(a.StopTime, b.StartTime);
        if (!gap || *gap > maxGapMs || *gap < -maxGapMs) {
            ChainBreak timing = link;
            timing.Kind = !gap ? BreakKind::Unreadable : *gap > 0 ? BreakKind::Gap : BreakKind::Overlap;
            timing.GapMs = gap.value_or(0);
            summary.Breaks.push_back(timing);
        }
        for (std::size_t f = 0; f < std::size(a.Fields); ++f) {
            if (a.Fields[f] != b.Fields[f]) {
                ChainBreak field = link;
                field.Kind = BreakKind::Field;
                field.Field = ChainFieldNames[f];
                field.FromValue = a.Fields[f];
                field.ToValue = b.Fields[f];
                summary.Breaks.push_back(field);
            }
        }
        if (a.Check != RecordingCheck::Ok || b.Check != RecordingCheck::Ok) {
            ChainBreak check = link;
            check.Kind = BreakKind::Field;
            check.Field = "Check";
            check.FromCheck = CheckName(a.Check);
            check.ToCheck = CheckName(b.Check);
            summary.Breaks.push_back(check);
        }
    }
    return summary;
}

}  // namespace kalimber
