// Follows NextFileName from file to file within one folder, never beyond it,
// and checks each link: the time from one file's stop to the next one's
// start, and the fields that a split recording keeps.
#include "cli/chain.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
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

// The NextFileName of a file as stored, up to its first NUL; empty where
// the file cannot be opened. passes: whether the file passes the check.
std::string NextFileNameOf(const FoundPath& file, bool* passes = nullptr) {
    const bool loaded = LoadFrom(file);
    if (passes != nullptr) {
        *passes = loaded && CheckVendorChunk() == RecordingCheck::Ok;
    }
    if (!loaded) {
        return "";
    }
    const auto& field = g_RecordingHeader.Auxi.NextFileName;
    const std::string_view stored(reinterpret_cast<const char*>(field), sizeof field);
    return std::string(stored.substr(0, stored.find('\0')));
}

// The identity of a file, or none where it cannot be found.
std::optional<FileIdentity> IdentityOf(const fs::path& path) {
    FileIdentity identity;
    return IdentifyPath(path, identity) ? std::optional<FileIdentity>(identity) : std::nullopt;
}

// Where a file's NextFileName leads within its folder: nullopt where it
// names no file there. name: the part after its last separator.
std::optional<fs::path> LinkTarget(const FoundPath& file, const std::string& stored, std::string& name) {
    name = LinkName(stored);
    const fs::path next = file.Path.parent_path() / PathFromText(name);
    std::error_code error;
    if (name.empty() || name == "." || name == ".." || !NameStaysInFolder(name) || !fs::is_regular_file(next, error)) {
        return std::nullopt;  // a name that ends in a separator names a folder, never a file
    }
    return next;
}

// Follows the links from start. A file in seen already is a loop when it
// is in this chain, a fork when it is in an earlier one.
Chain Follow(const FoundPath& start, FilesInChains& seen) {
    Chain chain;
    FoundPath file = start;
    for (;;) {
        chain.Files.push_back(file);
        if (const auto identity = IdentityOf(file.Path)) {
            seen.emplace(*identity, start.Text);
        }
        const std::string stored = NextFileNameOf(file);
        if (stored.empty()) {
            return chain;  // the last file names none
        }
        std::string name;
        const std::optional<fs::path> next = LinkTarget(file, stored, name);
        if (!next) {
            chain.Missing = ChainEnd{name.empty() ? stored : name, file.Text, ""};
            return chain;
        }
        if (const auto identity = IdentityOf(*next)) {
            if (const auto held = seen.find(*identity); held != seen.end()) {
                if (held->second == start.Text) {
                    chain.Loop = ChainEnd{name, file.Text, ""};
                } else {
                    chain.Fork = ChainEnd{name, file.Text, held->second};
                }
                return chain;
            }
        }
        file = FoundPath{*next, PathText(*next), ""};
    }
}

ChainSet FolderChains(const fs::path& folder, FilesInChains& seen) {
    ChainSet set;
    const std::vector<FolderEntry> entries = ListFolder(folder, false, set.Error);
    if (!set.Error.empty()) {
        return set;
    }
    set.Listed = entries.size();
    // The files another file of the folder names, by identity, so that
    // B.WAV names b.wav where the system folds case.
    std::set<FileIdentity> named;
    std::vector<std::optional<FileIdentity>> identities;
    std::vector<bool> passing;
    for (const FolderEntry& entry : entries) {
        bool passes = false;
        const std::string stored = NextFileNameOf(entry.File, &passes);
        std::string name;
        const std::optional<fs::path> next = stored.empty() ? std::nullopt : LinkTarget(entry.File, stored, name);
        const std::optional<FileIdentity> self = IdentityOf(entry.File.Path);
        if (const auto target = next ? IdentityOf(*next) : std::nullopt; target && target != self) {
            named.insert(*target);
        }
        identities.push_back(self);
        passing.push_back(passes);
    }
    auto free = [&](std::size_t i) { return !identities[i] || seen.count(*identities[i]) == 0; };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (passing[i] && free(i) && (!identities[i] || named.count(*identities[i]) == 0)) {
            set.Chains.push_back(Follow(entries[i].File, seen));
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (passing[i] && free(i)) {
            set.Chains.push_back(Follow(entries[i].File, seen));  // a loop with no head
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (free(i)) {
            set.Strays.push_back(entries[i].File);  // fails the check, and no chain reaches it
            if (identities[i]) {
                seen.emplace(*identities[i], entries[i].File.Text);
            }
        }
    }
    std::stable_sort(set.Chains.begin(), set.Chains.end(), [](const Chain& a, const Chain& b) {
        return PathText(a.Files.front().Path.filename()) < PathText(b.Files.front().Path.filename());
    });
    return set;
}

}  // namespace

namespace {

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
    return summary.Breaks.empty() && !chain.Missing && !chain.Loop && !chain.Fork;
}

std::string LinkName(std::string_view nextFileName) {
    const std::string_view name = nextFileName.substr(0, nextFileName.find('\0'));
    const std::size_t cut = name.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

ChainSet FindChains(const FoundPath& start, FilesInChains& seen) {
    std::error_code error;
    if (start.Error.empty() && fs::is_directory(start.Path, error)) {
        return FolderChains(start.Path, seen);
    }
    ChainSet set;
    const std::optional<FileIdentity> identity = IdentityOf(start.Path);
    if (!identity || seen.count(*identity) == 0) {
        set.Chains.push_back(Follow(start, seen));  // a file already in a chain is not followed twice
    }
    return set;
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
