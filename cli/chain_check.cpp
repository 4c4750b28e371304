// Checks a chain's links: the time from one file's stop to the next one's
// start, and the fields that a split recording keeps; no file is read here.
#include <chrono>
#include <optional>

#include "cli/chain.h"

namespace kalimber {

std::optional<std::chrono::sys_time<std::chrono::milliseconds>> Instant(const TimeStamp& t) {
    using namespace std::chrono;
    // The calendar's years end at 32767; a year past them would wrap.
    if (t.Year.Get() > static_cast<unsigned>(int{year::max()})) {
        return std::nullopt;
    }
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

bool HoldsTogether(const Chain& chain, const ChainSummary& summary) {
    return summary.Breaks.empty() && !chain.Missing && !chain.Loop && !chain.Fork;
}

std::optional<std::int64_t> GapMillisec(const TimeStamp& stop, const TimeStamp& start) {
    const auto from = Instant(stop);
    const auto to = Instant(start);
    if (!from || !to) {
        return std::nullopt;
    }
    return (*to - *from).count();
}

ChainSummary CheckChain(const Chain& chain, std::int64_t maxGapMs) {
    static constexpr const FieldRow& kStart = field::StartTime;
    static constexpr const FieldRow& kStop = field::StopTime;
    ChainSummary summary;
    if (chain.Files.empty()) {
        return summary;
    }
    summary.StartTime = FieldTime(chain.Files.front().Header, kStart);
    summary.StopTime = FieldTime(chain.Files.back().Header, kStop);
    for (std::size_t i = 0; i < chain.Files.size(); ++i) {
        summary.WavFileDurationMillisec = SaturatingSum(summary.WavFileDurationMillisec, chain.Files[i].Duration.value_or(0));
        if (i == 0) {
            continue;
        }
        const Recording& a = chain.Files[i - 1];
        const Recording& b = chain.Files[i];
        ChainBreak link;
        link.From = a.Text;
        link.To = b.Text;
        const std::optional<std::int64_t> gap = GapMillisec(FieldTime(a.Header, kStop), FieldTime(b.Header, kStart));
        if (!gap || *gap > maxGapMs || *gap < -maxGapMs) {
            ChainBreak timing = link;
            timing.Kind = !gap ? BreakKind::Unreadable : *gap > 0 ? BreakKind::Gap : BreakKind::Overlap;
            timing.GapMs = gap.value_or(0);
            summary.Breaks.push_back(timing);
        }
        for (const FieldRow* field : ChainFields) {
            const std::int64_t from = FieldNumber(a.Header, *field);
            const std::int64_t to = FieldNumber(b.Header, *field);
            if (from != to) {
                ChainBreak change = link;
                change.Kind = BreakKind::Field;
                change.Field = field->Label;
                change.FromValue = from;
                change.ToValue = to;
                summary.Breaks.push_back(change);
            }
        }
        if (a.Check != RecordingCheck::Ok || b.Check != RecordingCheck::Ok) {
            ChainBreak check = link;
            check.Kind = BreakKind::Field;
            check.Field = CheckLabel;
            check.OfCheck = true;
            check.FromCheck = CheckName(a.Check);
            check.ToCheck = CheckName(b.Check);
            summary.Breaks.push_back(check);
        }
    }
    return summary;
}

}  // namespace kalimber
