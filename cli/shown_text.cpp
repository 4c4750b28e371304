// The texts every writer shows alike: times and durations, a break and a
// chain's end in their one wording, well-formed UTF-8, and the write of a record.
#include <string>
#include <string_view>

#include "cli/writers.h"
#include "header/print.h"

namespace kalimber {

// YYYY-MM-DD hh:mm:ss.mmm from the words as stored, however odd.
// (As "%04u-%02u-%02u %02u:%02u:%02u.%03u" would print them, without printf.)
std::string TimeText(const TimeStamp& t) {
    // Each field as at least its digits, with zeros before: 65535 in a month
    // shows whole, as stored.
    char text[48];
    char* at = text;
    auto put = [&at](unsigned value, int digits, char after) {
        char reversed[8];
        int n = 0;
        do {
            reversed[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int pad = n; pad < digits; ++pad) {
            *at++ = '0';
        }
        while (n > 0) {
            *at++ = reversed[--n];
        }
        if (after != '\0') {
            *at++ = after;
        }
    };
    put(t.Year.Get(), 4, '-');
    put(t.Month.Get(), 2, '-');
    put(t.Day.Get(), 2, ' ');
    put(t.Hour.Get(), 2, ':');
    put(t.Minute.Get(), 2, ':');
    put(t.Second.Get(), 2, '.');
    put(t.Millisecond.Get(), 3, '\0');
    return std::string(text, at);
}

std::string DurationText(std::uint64_t ms) {
    std::string text = std::to_string(ms / 3600000);
    for (const auto& [value, digits] : {std::pair{ms / 60000 % 60, 2}, {ms / 1000 % 60, 2}, {ms % 1000, 3}}) {
        const std::string number = std::to_string(value);
        text += digits == 3 ? '.' : ':';
        text.append(static_cast<std::size_t>(digits) - number.size(), '0');
        text += number;
    }
    return text;
}

std::string EndName(const ChainEnd& end) {
    std::string text = end.Name;
    if (!end.Why.empty()) {
        text += " (";
        text += end.Why;
        text += ")";
    }
    return text;
}

std::string BreakText(const ChainBreak& b) {
    switch (b.Kind) {
        case BreakKind::Gap:
            return "gap " + std::to_string(b.GapMs) + " ms";
        case BreakKind::Overlap:
            return "overlap " + std::to_string(-b.GapMs) + " ms";
        case BreakKind::Unreadable:
            return "gap unreadable";
        case BreakKind::Field:
            break;
    }
    if (b.OfCheck) {
        return "Check " + b.FromCheck + " -> " + b.ToCheck;
    }
    return b.Field + " " + std::to_string(b.FromValue) + " -> " + std::to_string(b.ToValue);
}

std::string LinkText(const ChainSummary& summary, const std::string& from, const std::string& to) {
    std::string text;
    for (const ChainBreak& b : summary.Breaks) {
        if (b.From == from && b.To == to) {
            text += (text.empty() ? "" : "; ") + BreakText(b);
        }
    }
    return text;
}

void WriteOutput(std::string_view text) {
    WriteOutputBytes(text.data(), text.size());
}

}  // namespace kalimber
