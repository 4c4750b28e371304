// The brief writer: one line a file for people, in columns of fixed width,
// each value the header's own only formatted, and one line a chain.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/writers.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

constexpr const FieldRow& kStart = field::StartTime;
constexpr const FieldRow& kCenter = field::CenterFreq;
constexpr const FieldRow& kBandwidth = field::Bandwidth;
constexpr const FieldRow& kNext = field::NextFileName;

// The columns' widths; the path comes last and takes what it needs.
constexpr std::size_t kTimeWidth = 23;       // 2026-11-28 23:52:00.000
constexpr std::size_t kDurationWidth = 12;   // 0:01:00.000, hours as many as there are
constexpr std::size_t kHertzWidth = 15;      // 4294967.295 kHz
constexpr std::size_t kCheckWidth = 19;      // unsupported-version

std::string Left(const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

std::string Right(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// 7100000 -> "7100.000 kHz".
std::string KiloHertz(std::int64_t hertz) {
    const std::string thousandths = std::to_string(hertz % 1000);
    std::string text = std::to_string(hertz / 1000);
    text += ".";
    text.append(3 - thousandths.size(), '0');
    text += thousandths;
    text += " kHz";
    return text;
}

std::string Line(const std::string& start, const std::string& duration, const std::string& center,
                 const std::string& bandwidth, const std::string& check, const std::string& path) {
    std::string line = Left(start, kTimeWidth);
    for (const std::string& column : {Right(duration, kDurationWidth), Right(center, kHertzWidth),
                                      Right(bandwidth, kHertzWidth), Left(check, kCheckWidth), path}) {
        line += "  ";
        line += column;
    }
    line += "\n";
    return line;
}

void Begin() {
    WriteOutput(Line(field::StartTime.Label, "Duration", field::CenterFreq.Label, field::Bandwidth.Label, CheckLabel, "Path"));
}

void Record(const Recording& recording, const ChainColumns*) {
    static constexpr const ChunkRow& kAuxi = ChunkTable[static_cast<std::size_t>(ChunkKind::Auxi)];
    const bool auxi = HoldsChunk(recording, kAuxi);
    const std::string next = auxi ? FieldString(recording.Header, kNext) : "";
    std::string path = EscapeControls(recording.Text);
    if (!next.empty()) {
        path += " -> ";
        path += EscapeControls(next);
    }
    WriteOutput(Line(auxi ? TimeText(FieldTime(recording.Header, kStart)) : "-",
                     recording.Duration ? DurationText(*recording.Duration) : "-",
                     auxi ? KiloHertz(FieldNumber(recording.Header, kCenter)) : "-",
                     auxi ? KiloHertz(FieldNumber(recording.Header, kBandwidth)) : "-", CheckName(recording.Check),
                     path));
}

void Error(const std::string& path, const std::string& reason, const ChainColumns*) {
    std::string shown = EscapeControls(path);
    shown += ": ";
    shown += EscapeControls(reason);
    WriteOutput(Line("-", "-", "-", "-", "unreadable", shown));
}

// "chain a.wav: 5 files, 2021-04-17 14:03:09.045 to 2021-04-17 14:03:09.845,
// 0:00:00.800, 1 break: b.wav -> c.wav gap 5000 ms".
void WriteChain(const Chain& chain, const ChainSummary& summary) {
    std::vector<std::string> breaks;
    for (const ChainBreak& b : summary.Breaks) {
        std::string text = EscapeControls(b.From);
        text += " -> ";
        text += EscapeControls(b.To);
        text += " ";
        text += BreakText(b);
        breaks.push_back(std::move(text));
    }
    const std::pair<const char*, const std::optional<ChainEnd>&> ends[] = {
        {"Missing: ", chain.Missing}, {"Loop: ", chain.Loop}, {"Fork: ", chain.Fork}};
    for (const auto& [label, end] : ends) {
        if (end) {
            std::string text = label;
            text += EscapeControls(EndName(*end));
            breaks.push_back(std::move(text));
        }
    }
    std::string line = "chain ";
    line += EscapeControls(chain.Files.front().Text);
    line += ": ";
    line += std::to_string(chain.Files.size());
    line += chain.Files.size() == 1 ? " file, " : " files, ";
    line += TimeText(summary.StartTime);
    line += " to ";
    line += TimeText(summary.StopTime);
    line += ", ";
    line += DurationText(summary.WavFileDurationMillisec);
    line += ", ";
    if (breaks.empty()) {
        line += "holds together";
    } else {
        line += std::to_string(breaks.size());
        line += breaks.size() == 1 ? " break: " : " breaks: ";
        for (std::size_t i = 0; i < breaks.size(); ++i) {
            line += i == 0 ? "" : "; ";
            line += breaks[i];
        }
    }
    line += "\n";
    WriteOutput(line);
}

}  // namespace

Writer MakeBriefWriter(Console& console) {
    Writer writer = BaseWriter(console);
    writer.Begin = Begin;
    writer.Record = Record;
    writer.Error = Error;
    writer.Chain = WriteChain;
    return writer;
}

}  // namespace kalimber
