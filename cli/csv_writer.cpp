// One CSV row per recording, RFC 4180 quoting, text as well-formed UTF-8;
// where the JSON form has null, the field is empty.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/writers.h"
#include "header/recording_header.h"

namespace kalimber {
namespace {

// A field in quotes, its quotes doubled, where it holds a comma, a quote or a line end.
std::string Quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

void WriteRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += ',';
        }
        row += Quoted(fields[i]);
    }
    WriteOutput(row + "\n");
}

// YYYY-MM-DD hh:mm:ss.mmm from the words as stored, however odd.
std::string Time(const TimeStamp& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.Year.Get()},
                  unsigned{t.Month.Get()}, unsigned{t.Day.Get()}, unsigned{t.Hour.Get()},
                  unsigned{t.Minute.Get()}, unsigned{t.Second.Get()}, unsigned{t.Millisecond.Get()});
    return text;
}

}  // namespace

void WriteCsvHeader(bool chain) {
    std::vector<std::string> names = {"path", "size", "Check", "WavFileDurationMillisec", "StartTime",
                                      "StopTime", "CenterFreq", "Bandwidth", "CnkSampleRate", "CnkNumChan",
                                      "CnkBitPerSample", "CnkAudioFormat", "SN", "NextFileName", "error"};
    if (chain) {
        names.push_back("chain");
        names.push_back("link");
    }
    WriteRow(names);
}

namespace {

// One break as the link column and the first_break column show it.
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
    if (b.Field == "Check") {
        return "Check " + b.FromCheck + " -> " + b.ToCheck;
    }
    return b.Field + " " + std::to_string(b.FromValue) + " -> " + std::to_string(b.ToValue);
}

}  // namespace

std::string LinkText(const ChainSummary& summary, const std::string& from, const std::string& to) {
    std::string text;
    for (const ChainBreak& b : summary.Breaks) {
        if (b.From == from && b.To == to) {
            text += (text.empty() ? "" : "; ") + BreakText(b);
        }
    }
    return text;
}

void WriteCsvChainHeader() {
    WriteRow({"chain", "files", "StartTime", "StopTime", "WavFileDurationMillisec", "breaks", "missing", "loop",
              "fork", "first_break"});
}

void WriteCsvChain(const Chain& chain, const ChainSummary& summary) {
    const std::string firstBreak =
        summary.Breaks.empty()
            ? ""
            : summary.Breaks.front().From + " -> " + summary.Breaks.front().To + ": " + BreakText(summary.Breaks.front());
    WriteRow({WellFormedUtf8(chain.Files.front().Text), std::to_string(chain.Files.size()), Time(summary.StartTime),
              Time(summary.StopTime), std::to_string(summary.WavFileDurationMillisec),
              std::to_string(summary.Breaks.size()), chain.Missing ? WellFormedUtf8(chain.Missing->Name) : "",
              chain.Loop ? WellFormedUtf8(chain.Loop->Name) : "", chain.Fork ? WellFormedUtf8(chain.Fork->Name) : "",
              WellFormedUtf8(firstBreak)});
}

void WriteCsvRecord(const std::string& path, std::int64_t size, RecordingCheck check,
                    const std::string* chain, const std::string* link) {
    const RecordingHeader& h = g_RecordingHeader;
    // A chunk that is not there leaves its columns empty.
    const bool fmt = HoldsChunk(h, size, FmtSpan, "fmt ");
    const bool auxi = HoldsChunk(h, size, AuxiSpan, "auxi");
    const bool orva = HoldsChunk(h, size, OrvaSpan, "orva");
    auto number = [](bool there, auto value) { return there ? std::to_string(value) : std::string(); };
    std::vector<std::string> fields(
        {WellFormedUtf8(path), std::to_string(size), CheckName(check),
         number(HasDuration(check, h), g_WavFileDurationMillisec), auxi ? Time(h.Auxi.StartTime) : "",
         auxi ? Time(h.Auxi.StopTime) : "", number(auxi, h.Auxi.CenterFreq.Get()), number(auxi, h.Auxi.Bandwidth.Get()),
         number(fmt, h.Fmt.SampleRate.Get()), number(fmt, h.Fmt.NumChannels.Get()),
         number(fmt, h.Fmt.BitPerSample.Get()), number(fmt, h.Fmt.AudioFormat.Get()),
         orva ? WellFormedUtf8(FieldText(h.Orva.SN, sizeof h.Orva.SN)) : "",
         auxi ? WellFormedUtf8(FieldText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName)) : "", ""});
    if (chain != nullptr) {
        fields.push_back(WellFormedUtf8(*chain));
        fields.push_back(link != nullptr ? WellFormedUtf8(*link) : "");
    }
    WriteRow(fields);
}

void WriteCsvError(const std::string& path, const std::string& reason, const std::string* chain,
                   const std::string* link) {
    std::vector<std::string> fields(15);
    fields.front() = WellFormedUtf8(path);
    fields.back() = WellFormedUtf8(reason);
    if (chain != nullptr) {
        fields.push_back(WellFormedUtf8(*chain));
        fields.push_back(link != nullptr ? WellFormedUtf8(*link) : "");
    }
    WriteRow(fields);
}

}  // namespace kalimber
