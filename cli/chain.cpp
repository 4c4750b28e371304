// Finds chains: follows NextFileName from file to file within one folder, never
// beyond it, and tells where a chain ends at a missing file, a loop or a fork.
#include "cli/chain.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

#include "platform/platform.h"

namespace kalimber {
namespace {

namespace fs = std::filesystem;

// The NextFileName of a file as stored, up to its first NUL.
std::string NextFileNameOf(const Recording& file) {
    static constexpr const FieldRow& kNext = field::NextFileName;
    return FieldString(file.Header, kNext);
}

// The identity of a file, or none where it cannot be found.
std::optional<FileIdentity> IdentityOf(const fs::path& path) {
    FileIdentity identity;
    return IdentifyPath(path, identity) ? std::optional<FileIdentity>(identity) : std::nullopt;
}

// The reason a chain does not follow a name that is there.
constexpr const char* kNotWav = "not a .wav file";

// Where a file's NextFileName leads: the file named (none where it names no
// .wav file in the file's folder, why: kNotWav for another file that is
// there), its identity, and the name (the part after its last separator).
struct Link {
    std::optional<fs::path> Next;
    std::optional<FileIdentity> Identity;
    std::string Name;
    std::string Why;
};

Link LinkTarget(const Recording& file, const std::string& stored) {
    Link link;
    link.Name = LinkName(stored);
    const std::string& name = link.Name;
    const fs::path next = file.Path.parent_path() / PathFromText(name);
    FileIdentity identity;
    if (name.empty() || name == "." || name == ".." || !NameStaysInFolder(name) || !IdentifyRegularFile(next, identity)) {
        return link;  // a name that ends in a separator names a folder, never a file
    }
    if (!HasWavExtension(name)) {
        link.Why = kNotWav;  // a backup or a note beside the recordings is never read as one, nor patched
        return link;
    }
    link.Next = next;
    link.Identity = identity;
    return link;
}

// The links of a folder's files worked out as they were taken in, by the
// identity of the file that names them, so that following them stats nothing again.
using KnownLinks = std::map<FileIdentity, Link>;

Link KnownLink(const KnownLinks* known, const Recording& file, const std::string& stored) {
    if (known != nullptr && file.Identity) {
        if (const auto at = known->find(*file.Identity); at != known->end()) {
            return at->second;
        }
    }
    return LinkTarget(file, stored);
}

// The files of a folder taken in already and in no chain yet, by identity.
using TakenFiles = std::map<FileIdentity, Recording>;

// Follows the links from start. A file in seen already is a loop when it
// is in this chain, a fork when it is in an earlier one. The next file is
// told apart by its identity before it is taken in, and one the folder has
// taken in already keeps the name the folder lists it by.
Chain Follow(Recording start, FilesInChains& seen, TakenFiles& taken, const TakeFile& take, const KnownLinks* known) {
    Chain chain;
    const std::string first = start.Text;
    Recording file = std::move(start);
    for (;;) {
        if (file.Identity) {
            seen.emplace(*file.Identity, first);
        }
        const std::string stored = NextFileNameOf(file);
        const Link link = stored.empty() ? Link{} : KnownLink(known, file, stored);
        const std::string namedBy = file.Text;
        chain.Files.push_back(std::move(file));
        if (stored.empty()) {
            return chain;  // the last file names none
        }
        if (!link.Next) {
            chain.Missing = ChainEnd{link.Name.empty() ? stored : link.Name, namedBy, "", link.Why};
            return chain;
        }
        const std::optional<FileIdentity>& identity = link.Identity;
        if (const auto held = identity ? seen.find(*identity) : seen.end(); held != seen.end()) {
            if (held->second == first) {
                chain.Loop = ChainEnd{link.Name, namedBy, "", ""};
            } else {
                chain.Fork = ChainEnd{link.Name, namedBy, held->second, ""};
            }
            return chain;
        }
        if (const auto there = identity ? taken.find(*identity) : taken.end(); there != taken.end()) {
            file = std::move(there->second);
            taken.erase(there);
        } else {
            file = take(FoundPath{*link.Next, PathText(*link.Next), ""});
            if (!file.Identity) {
                file.Identity = identity;
            }
        }
    }
}

}  // namespace

std::string LinkName(std::string_view nextFileName) {
    const std::string_view name = nextFileName.substr(0, nextFileName.find('\0'));
    const std::size_t cut = name.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

ChainSet FileChains(Recording start, FilesInChains& seen, const TakeFile& take) {
    ChainSet set;
    if (!start.Identity || seen.count(*start.Identity) == 0) {
        TakenFiles none;
        set.Chains.push_back(Follow(std::move(start), seen, none, take, nullptr));  // a file in a chain is not followed twice
    }
    return set;
}

ChainSet FolderChains(const FoundPath& folder, FilesInChains& seen, const TakeFile& take) {
    ChainSet set;
    const std::vector<FolderEntry> entries = ListFolder(folder.Path, false, set.Error);
    if (!set.Error.empty()) {
        return set;
    }
    set.Listed = entries.size();
    // Each file of the folder that no chain holds yet, taken in once (a second
    // name of the same file not at all); and the files that another one names,
    // by identity, so that B.WAV names b.wav where the system folds case.
    std::vector<std::optional<FileIdentity>> identities;
    std::vector<bool> passes;
    std::vector<Recording> nameless;  // no identity to file them by: they fail the check
    std::set<FileIdentity> named;
    TakenFiles taken;
    KnownLinks links;
    for (const FolderEntry& entry : entries) {
        const FoundPath found = EntryPath(folder.Path, entry);
        const std::optional<FileIdentity> self = IdentityOf(found.Path);
        if (self && (seen.count(*self) != 0 || taken.count(*self) != 0)) {
            continue;
        }
        Recording file = take(found);
        if (!file.Identity) {
            file.Identity = self;
        }
        if (const std::string stored = NextFileNameOf(file); !stored.empty()) {
            Link link = LinkTarget(file, stored);
            if (link.Identity && link.Identity != file.Identity) {
                named.insert(*link.Identity);
            }
            if (file.Identity) {
                links.emplace(*file.Identity, std::move(link));
            }
        }
        identities.push_back(file.Identity);
        passes.push_back(file.Check == RecordingCheck::Ok);
        if (file.Identity) {
            taken.emplace(*file.Identity, std::move(file));
        } else {
            nameless.push_back(std::move(file));
        }
    }
    // The chains from the heads, then a loop with no head from its lowest name.
    for (const bool heads : {true, false}) {
        for (std::size_t i = 0; i < identities.size(); ++i) {
            if (!identities[i] || !passes[i] || (named.count(*identities[i]) == 0) != heads) {
                continue;
            }
            if (const auto start = taken.find(*identities[i]); start != taken.end()) {
                Recording first = std::move(start->second);
                taken.erase(start);
                set.Chains.push_back(Follow(std::move(first), seen, taken, take, &links));
            }
        }
    }
    // What is left fails the check, and no chain reaches it.
    std::size_t next = 0;
    for (const std::optional<FileIdentity>& identity : identities) {
        if (!identity) {
            set.Strays.push_back(std::move(nameless[next++]));
        } else if (const auto left = taken.find(*identity); left != taken.end()) {
            seen.emplace(*identity, left->second.Text);
            set.Strays.push_back(std::move(left->second));
            taken.erase(left);
        }
    }
    std::stable_sort(set.Chains.begin(), set.Chains.end(), [](const Chain& a, const Chain& b) {
        return PathText(a.Files.front().Path.filename()) < PathText(b.Files.front().Path.filename());
    });
    return set;
}

ChainSet TreeChains(const FoundPath& folder, FilesInChains& seen, const TakeFile& take) {
    ChainSet set = FolderChains(folder, seen, take);
    if (!set.Error.empty()) {
        return set;
    }
    std::string error;
    for (const FolderEntry& entry : ListFolder(folder.Path, true, error)) {
        if (!entry.Folder) {
            continue;
        }
        ChainSet below = TreeChains(EntryPath(folder.Path, entry), seen, take);
        if (!below.Error.empty()) {
            // A subfolder that cannot be listed is told as a file that cannot be read.
            Recording unlisted;
            unlisted.Path = folder.Path / entry.FileName;
            unlisted.Text = PathText(unlisted.Path);
            unlisted.Error = below.Error;
            set.Strays.push_back(std::move(unlisted));
        }
        set.Listed += below.Listed;
        std::move(below.Chains.begin(), below.Chains.end(), std::back_inserter(set.Chains));
        std::move(below.Strays.begin(), below.Strays.end(), std::back_inserter(set.Strays));
    }
    return set;
}

}  // namespace kalimber
