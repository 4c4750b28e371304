// The walk over the command line's paths: files as named, folders as their
// .wav files in bytewise order of name (subfolders with -r), wildcards on Windows.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kalimber {

// A path the walk found: a file to open, or one it could not read.
struct FoundPath {
    std::filesystem::path Path;
    std::string Text;   // as given, or as found in the folder: what the output shows
    std::string Error;  // empty, or the system's reason why it cannot be read
    bool NoWavFiles = false;  // a folder named that holds no .wav file; Error says so
};

// The reason a folder named on the command line is handed on with when it
// holds no .wav file (with -r: none below it either).
inline constexpr const char* NoWavFilesReason = "no .wav files";

// A folder's entry: a .wav file, or (when asked for) a subfolder; its name
// only, so that a deep walk holds no full path per level.
struct FolderEntry {
    std::string Name;                // as the output shows it, and the order
    std::filesystem::path FileName;  // the same name as the system's
    std::string Error;               // why a .wav entry cannot be read, else empty
    bool Folder;
};

// The path of an entry of folder, as the walk hands it on.
FoundPath EntryPath(const std::filesystem::path& folder, const FolderEntry& entry);

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder, bool subfolders, std::string& error);

// Hands each argument to visit as it stands, wildcards expanded: a folder
// with folder set, a file (or a path that is neither) without. A visit that
// returns false ends the walk.
void VisitArguments(const std::vector<std::string>& arguments,
                    const std::function<bool(const FoundPath&, bool folder)>& visit);

// Hands every path to visit, one at a time, in order, until a visit returns
// false; each file once, however it is named (its first name counts); a
// folder named that holds no .wav file is handed on with the error
// NoWavFilesReason. Only one folder's names are held at a time for sorting (and those
// of the folders above it). A caller that tells the files apart itself, by
// the identity of each as it opens it, passes tellApart false: the walk then
// stats nothing and hands on every name.
void WalkPaths(const std::vector<std::string>& arguments, bool recursive,
               const std::function<bool(const FoundPath&)>& visit, bool tellApart = true);

// The names that an argument's last component matches when it holds * or ?
// (as the system matches them where it can, else ASCII letters in either
// case, as Windows names compare), in bytewise order; none where nothing
// matches. An argument without wildcards stays as it is.
std::vector<std::string> ExpandWildcards(const std::string& argument);

// * matches any run of characters, ? one character (UTF-8: one code point).
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// True where an argument names a file, a folder or anything else that is
// there (wildcards expanded as the walk expands them); false where it names
// nothing at all.
bool NamesSomething(const std::string& argument);

// True for a name that ends in .wav, in any case: what a folder stands for,
// and all that a chain follows.
bool HasWavExtension(std::string_view name);

}  // namespace kalimber
