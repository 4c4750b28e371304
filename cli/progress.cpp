// Draws the progress line with a carriage return and blanks (no escape
// sequence, so any console shows it) on standard error, and wipes it again.
#include "cli/progress.h"

#include <algorithm>

#include "header/print.h"
#include "platform/platform.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kWidth = 79;  // where the terminal will not say how wide it is

// The number of characters (UTF-8 code points) in text.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (const char c : text) {
        columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return columns;
}

}  // namespace

std::string ProgressLine(const char* verb, std::uint64_t done, std::uint64_t total, const std::string& path,
                         std::size_t width) {
    // Links followed past the files counted: no total to show.
    std::string head = std::string(verb) + " " + std::to_string(done);
    if (done <= total) {
        head += " of ";
        head += std::to_string(total);
    }
    head += ": ";
    const std::string shown = EscapeControls(path);
    if (head.size() + Columns(shown) <= width) {
        return head + shown;
    }
    const std::size_t room = width > head.size() + 3 ? width - head.size() - 3 : 0;
    // Back from the end, a whole character at a time, until room are kept.
    std::size_t cut = shown.size();
    for (std::size_t kept = 0; cut > 0 && kept < room;) {
        --cut;
        kept += (static_cast<unsigned char>(shown[cut]) & 0xC0) != 0x80;
    }
    return head + "..." + shown.substr(cut);
}

Console OpenConsole(bool quiet) {
    Console console;
    console.Quiet = quiet;
    console.ShowsProgress = !quiet && IsTerminal(ErrorStream());
    console.SharesScreen = IsTerminal(OutputStream());
    const std::size_t columns = console.ShowsProgress ? TerminalColumns(ErrorStream()) : 0;
    console.Width = columns > 1 ? columns - 1 : kWidth;
    return console;
}

Progress StartProgress(const char* verb, std::uint64_t total) {
    Progress progress;
    progress.Verb = verb;
    progress.Total = total;
    progress.Start = Clock::now();
    return progress;
}

void HideProgress(Console& console) {
    if (console.Shown > 0) {
        PrintError("\r%s\r", std::string(console.Shown, ' ').c_str());
        console.Shown = 0;
    }
}

void ClearForOutput(Console& console) {
    if (console.SharesScreen) {
        HideProgress(console);
    }
}

void TellError(Console& console, const std::string& text) {
    HideProgress(console);
    PrintError("kalimber: %s\n", EscapeControls(text).c_str());
}

void TellLine(Console& console, const std::string& line) {
    HideProgress(console);
    PrintError("%s\n", line.c_str());
}

void StepProgress(Console& console, Progress& progress, const std::string& path) {
    ++progress.Done;
    if (!console.ShowsProgress) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now - progress.Start < std::chrono::seconds(1) ||
        (console.Shown > 0 && now - progress.Drawn < std::chrono::milliseconds(100))) {
        return;
    }
    const std::string line = ProgressLine(progress.Verb, progress.Done, progress.Total, path, console.Width);
    const std::size_t columns = Columns(line);
    // Blanks over what is left of a longer line before.
    const std::string blanks(console.Shown > columns ? console.Shown - columns : 0, ' ');
    PrintError("\r%s%s", line.c_str(), blanks.c_str());
    console.Shown = std::max(columns, console.Shown);
    progress.Drawn = now;
}

}  // namespace kalimber
