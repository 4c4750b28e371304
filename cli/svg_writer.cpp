// The SVG writer: gathers each chain's recordings and breaks into the picture
// as the files are read, and writes the whole picture once the last one is in.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "cli/writers.h"
#include "platform/platform.h"

namespace kalimber {
namespace {

constexpr const FieldRow& kStart = field::StartTime;
constexpr const FieldRow& kStop = field::StopTime;
constexpr const FieldRow& kCenter = field::CenterFreq;
constexpr const FieldRow& kBandwidth = field::Bandwidth;

std::optional<std::int64_t> Millisec(const TimeStamp& t) {
    const auto at = Instant(t);
    return at ? std::optional<std::int64_t>(at->time_since_epoch().count()) : std::nullopt;
}

// A file's band, CenterFreq - Bandwidth/2 to CenterFreq + Bandwidth/2, in half hertz.
void SetBand(PictureSpan& span, const Recording& file) {
    const std::int64_t center = 2 * FieldNumber(file.Header, kCenter);
    const std::int64_t bandwidth = FieldNumber(file.Header, kBandwidth);
    span.LowHalfHz = center - bandwidth;
    span.HighHalfHz = center + bandwidth;
}

std::string BarTitle(const Recording& file) {
    return file.Text + "\nStartTime " + TimeText(FieldTime(file.Header, kStart)) + "\nStopTime " +
           TimeText(FieldTime(file.Header, kStop)) + "\nCenterFreq " +
           std::to_string(FieldNumber(file.Header, kCenter)) + " Hz\nBandwidth " +
           std::to_string(FieldNumber(file.Header, kBandwidth)) + " Hz\nduration " +
           (file.Duration ? std::to_string(*file.Duration) + " ms" : "not worked out (block mode 2 or 3)");
}

// A recording that passes the check as its rectangle; false (with the
// reason) where its times place it nowhere.
bool AddBar(PictureChain& chain, const Recording& file, std::string& reason) {
    const std::optional<std::int64_t> start = Millisec(FieldTime(file.Header, kStart));
    const std::optional<std::int64_t> stop = Millisec(FieldTime(file.Header, kStop));
    if (!start || !stop) {
        reason = "its StartTime or StopTime is no date and time";
        return false;
    }
    if (*stop < *start) {
        reason = "its StopTime is before its StartTime";
        return false;
    }
    PictureBar bar;
    bar.Span.StartMs = *start;
    bar.Span.StopMs = *stop;
    SetBand(bar.Span, file);
    bar.Title = BarTitle(file);
    bar.Name = PathText(file.Path.filename());
    chain.Bars.push_back(std::move(bar));
    return true;
}

// The mark of the link from a to b: over the time between a's stop and b's
// start (where only one is a time, at it) and over both bands; false where
// neither time can be placed.
bool LinkSpan(const Recording& a, const Recording& b, PictureSpan& span) {
    const std::optional<std::int64_t> stop = Millisec(FieldTime(a.Header, kStop));
    const std::optional<std::int64_t> start = Millisec(FieldTime(b.Header, kStart));
    if (!stop && !start) {
        return false;
    }
    const std::int64_t from = stop.value_or(*start);
    const std::int64_t to = start.value_or(*stop);
    span.StartMs = std::min(from, to);
    span.StopMs = std::max(from, to);
    PictureSpan other;
    SetBand(span, a);
    SetBand(other, b);
    span.LowHalfHz = std::min(span.LowHalfHz, other.LowHalfHz);
    span.HighHalfHz = std::max(span.HighHalfHz, other.HighHalfHz);
    return true;
}

// Where a chain ends at a missing file, a loop or a fork: just after its last file.
bool EndSpan(const Recording& last, PictureSpan& span) {
    const std::optional<std::int64_t> at = Millisec(FieldTime(last.Header, kStop));
    const std::optional<std::int64_t> start = Millisec(FieldTime(last.Header, kStart));
    if (!at && !start) {
        return false;
    }
    span.StartMs = span.StopMs = at.value_or(*start);
    SetBand(span, last);
    return true;
}

void Record(SessionPicture& picture, const Recording& recording) {
    ++picture.Files;
    if (recording.Check != RecordingCheck::Ok) {
        picture.Failures.push_back({recording.Text, std::string("fails the check: ") + CheckName(recording.Check)});
    }
}

void Error(SessionPicture& picture, const std::string& path, const std::string& reason) {
    ++picture.Files;
    picture.Failures.push_back({path, reason});
}

void AddMark(SessionPicture& picture, PictureChain& chain, bool placed, const PictureSpan& span, std::string text,
             const std::string& title, const std::string& where) {
    ++picture.Breaks;
    if (!placed) {
        picture.Failures.push_back({where, "not placed: " + text});
        return;
    }
    chain.Marks.push_back({span, std::move(text), title});
}

void WriteChain(SessionPicture& picture, const Chain& chain, const ChainSummary& summary) {
    picture.DurationMs = SaturatingSum(picture.DurationMs, summary.WavFileDurationMillisec);
    PictureChain drawn;
    drawn.First = chain.Files.front().Text;
    drawn.Files = chain.Files.size();
    std::size_t next = 0;  // the breaks come in the order of the links
    for (std::size_t i = 0; i < chain.Files.size(); ++i) {
        const Recording& file = chain.Files[i];
        std::string reason;
        if (file.Check == RecordingCheck::Ok && !AddBar(drawn, file, reason)) {
            picture.Failures.push_back({file.Text, reason});
        }
        if (i == 0) {
            continue;
        }
        const Recording& before = chain.Files[i - 1];
        std::string text;
        while (next < summary.Breaks.size() && summary.Breaks[next].From == before.Text &&
               summary.Breaks[next].To == file.Text) {
            text += (text.empty() ? "" : "; ") + BreakText(summary.Breaks[next++]);
        }
        if (!text.empty()) {
            PictureSpan span;
            const bool placed = LinkSpan(before, file, span);
            AddMark(picture, drawn, placed, span, text, before.Text + " -> " + file.Text + ": " + text, before.Text);
        }
    }
    const Recording& last = chain.Files.back();
    PictureSpan end;
    const bool placed = EndSpan(last, end);
    const std::pair<const char*, const std::optional<ChainEnd>&> ends[] = {
        {"Missing: ", chain.Missing}, {"Loop: ", chain.Loop}, {"Fork: ", chain.Fork}};
    for (const auto& [label, at] : ends) {
        if (at) {
            // As the text section tells it; only a fork has a First.
            std::string text = label;
            text += EndName(*at);
            AddMark(picture, drawn, placed, end, text,
                    text + " (named by " + at->NamedBy +
                        (at->First.empty() ? "" : ", already in the chain from " + at->First) + ")",
                    last.Text);
        }
    }
    picture.Chains.push_back(std::move(drawn));
}

}  // namespace

// Nothing is written until the last file is in: then the whole picture, once.
// A picture with holes is no picture of the whole session.
Writer MakeSvgWriter(const CommandLineOptions& options) {
    auto picture = std::make_shared<SessionPicture>();
    picture->Paths = options.Paths;
    Writer writer;
    writer.Begin = [] {};
    writer.Record = [picture](const Recording& recording, const ChainColumns*) { Record(*picture, recording); };
    writer.Error = [picture](const std::string& path, const std::string& reason, const ChainColumns*) {
        Error(*picture, path, reason);
    };
    writer.Chain = [picture](const Chain& chain, const ChainSummary& summary) { WriteChain(*picture, chain, summary); };
    writer.Patch = [](const PatchOutcome&) {};  // a patch is never drawn
    writer.End = [](const std::string&) {};     // the picture says how many files and breaks
    writer.Finish = [picture] {
        WriteOutput(SessionSvg(*picture));
        return picture->Failures.empty();
    };
    return writer;
}

}  // namespace kalimber
