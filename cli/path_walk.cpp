// Lists folders with std::filesystem, never following a link into a folder,
// and hands each file on before the next folder is read.
#include "cli/path_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "platform/platform.h"

namespace kalimber {
namespace {

namespace fs = std::filesystem;

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the UTF-8 character that starts at name[i].
std::size_t CharacterLength(std::string_view name, std::size_t i) {
    std::size_t length = 1;
    while (i + length < name.size() && (static_cast<unsigned char>(name[i + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// False when a visit ended the walk. folder is the one path of the walk,
// a name longer for each level down, and as it was again on return.
bool WalkFolder(fs::path& folder, bool recursive, const std::function<bool(const FoundPath&)>& visit) {
    std::string error;
    const std::vector<FolderEntry> entries = ListFolder(folder, recursive, error);
    if (!error.empty()) {
        return visit({folder, PathText(folder), error});
    }
    for (const FolderEntry& entry : entries) {
        if (!entry.Folder) {
            if (!visit(EntryPath(folder, entry))) {
                return false;
            }
            continue;
        }
        const std::size_t length = folder.native().size();
        folder /= entry.FileName;
        const bool goOn = WalkFolder(folder, recursive, visit);
        folder = fs::path(folder.native().substr(0, length));
        if (!goOn) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<FolderEntry> ListFolder(const fs::path& folder, bool subfolders, std::string& error) {
    std::vector<FolderEntry> entries;
    std::error_code listError;
    fs::directory_iterator it(folder, listError);
    for (const fs::directory_iterator end; !listError && it != end; it.increment(listError)) {
        std::error_code typeError;
        const bool file = it->is_regular_file(typeError);
        const std::string reason = typeError ? typeError.message() : "";  // a link to nothing
        std::error_code folderError;
        const bool folder = it->is_directory(folderError);
        const bool subfolder = subfolders && !it->is_symlink(folderError) && folder;
        std::string name = PathText(it->path().filename());
        if (subfolder || (!folder && HasWavExtension(name))) {
            // A FIFO, a device or a dangling link named *.wav is told as it
            // would be when named on its own.
            const std::string error = subfolder || file ? "" : !reason.empty() ? reason : "not a regular file";
            entries.push_back({std::move(name), it->path().filename(), error, subfolder});
        }
    }
    error = listError ? listError.message() : "";
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.Name < b.Name; });
    return entries;
}

FoundPath EntryPath(const fs::path& folder, const FolderEntry& entry) {
    fs::path path = folder / entry.FileName;
    std::string text = PathText(path);
    return {std::move(path), std::move(text), entry.Error};
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starAt = std::string_view::npos;  // the last * and where its run ends in name
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += CharacterLength(name, n);
        } else if (p < pattern.size() && Folded(pattern[p]) == Folded(name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            starName += CharacterLength(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<std::string> ExpandWildcards(const std::string& argument) {
    const std::size_t cut = argument.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? "" : argument.substr(0, cut + 1);
    const std::string pattern = argument.substr(folder.size());
    if (pattern.find_first_of("*?") == std::string::npos) {
        return {argument};
    }
    const fs::path where = PathFromText(folder.empty() ? "." : folder);
    std::vector<std::string> names;
    if (!SystemWildcardMatches(where, pattern, names)) {
        std::error_code error;
        fs::directory_iterator it(where, error);
        for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
            std::string name = PathText(it->path().filename());
            if (MatchesWildcard(name, pattern)) {
                names.push_back(std::move(name));
            }
        }
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        name = folder + name;
    }
    return names;
}

void VisitArguments(const std::vector<std::string>& arguments,
                    const std::function<bool(const FoundPath&, bool folder)>& visit) {
    for (const std::string& argument : arguments) {
        const std::vector<std::string> expanded =
            ShellExpandsWildcards ? std::vector<std::string>{argument} : ExpandWildcards(argument);
        if (expanded.empty()) {
            // As a POSIX shell leaves it: a name that is not there.
            if (!visit({PathFromText(argument), argument, std::strerror(ENOENT)}, false)) {
                return;
            }
            continue;
        }
        for (const std::string& text : expanded) {
            const fs::path path = PathFromText(text);
            std::error_code error;
            const fs::file_status status = fs::status(path, error);
            bool goOn = true;
            if (!error && fs::is_directory(status)) {
                goOn = visit({path, text, ""}, true);
            } else if (!error && !fs::is_regular_file(status)) {
                // A FIFO would block the read, a device has no recording's size.
                goOn = visit({path, text, "not a regular file"}, false);
            } else {
                goOn = visit({path, text, ""}, false);  // opening it tells why it cannot be read
            }
            if (!goOn) {
                return;
            }
        }
    }
}

void WalkPaths(const std::vector<std::string>& arguments, bool recursive,
               const std::function<bool(const FoundPath&)>& given, bool tellApart) {
    // Each file once, however often and however it is named.
    std::set<FileIdentity> visited;
    auto visit = [&](const FoundPath& found) {
        // A stat, not the listing's inode: FAT and some FUSE file systems
        // list numbers that are not the ones stat gives.
        FileIdentity identity;
        if (tellApart && found.Error.empty() && IdentifyPath(found.Path, identity) &&
            !visited.insert(identity).second) {
            return true;
        }
        return given(found);
    };
    VisitArguments(arguments, [&](const FoundPath& found, bool folder) {
        if (!folder) {
            return visit(found);
        }
        bool any = false;
        fs::path folderPath = found.Path;
        const bool goOn = WalkFolder(folderPath, recursive, [&](const FoundPath& file) {
            any = true;
            return visit(file);
        });
        return !goOn ? false : any ? true : visit({found.Path, found.Text, NoWavFilesReason, true});
    });
}

bool NamesSomething(const std::string& argument) {
    const std::vector<std::string> expanded =
        ShellExpandsWildcards ? std::vector<std::string>{argument} : ExpandWildcards(argument);
    return std::any_of(expanded.begin(), expanded.end(), [](const std::string& text) {
        std::error_code error;
        // A dangling link names something: its open tells why it cannot be read.
        return fs::symlink_status(PathFromText(text), error).type() != fs::file_type::not_found;
    });
}

bool HasWavExtension(std::string_view name) {
    constexpr std::string_view kWav = ".wav";
    if (name.size() < kWav.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - kWav.size());
    return std::equal(tail.begin(), tail.end(), kWav.begin(),
                      [](char a, char b) { return Folded(a) == b; });
}

}  // namespace kalimber
