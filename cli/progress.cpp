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

constexpr std::size_t kWidth = 79;  // one column short of the terminal, so it never wraps

// The columns the line takes on the screen now; 0: none. One screen, one line.
std::size_t g_Shown = 0;

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

Progress StartProgress(bool wanted, const char* verb, std::uint64_t total) {
    Progress progress;
    progress.On = wanted && IsTerminal(ErrorStream());
    progress.SharesScreen = IsTerminal(OutputStream());
    progress.Verb = verb;
    progress.Total = total;
    progress.Start = Clock::now();
    return progress;
}

void HideProgress() {
    if (g_Shown > 0) {
        PrintError("\r%s\r", std::string(g_Shown, ' ').c_str());
        g_Shown = 0;
    }
}

void TellError(const std::string& text) {
    HideProgress();
    PrintError("kalimber: %s\n", EscapeControls(text).c_str());
}

void StepProgress(Progress& progress, const std::string& path) {
    ++progress.Done;
    if (!progress.On) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now - progress.Start < std::chrono::seconds(1) ||
        (g_Shown > 0 && now - progress.Drawn < std::chrono::milliseconds(100))) {
        return;
    }
    const std::string line = ProgressLine(progress.Verb, progress.Done, progress.Total, path, kWidth);
    const std::size_t columns = Columns(line);
    // Blanks over what is left of a longer line before.
    const std::string blanks(g_Shown > columns ? g_Shown - columns : 0, ' ');
    PrintError("\r%s%s", line.c_str(), blanks.c_str());
    g_Shown = std::max(columns, g_Shown);
    progress.Drawn = now;
}

}  // namespace kalimber
