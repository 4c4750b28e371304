// The text writer: a recording's report as a ToDoWave.txt run prints it (its
// controls shown escaped), the chain sections, the patch lines; and -q's.
#include <cstdio>
#include <memory>
#include <string>

#include "header/banner.h"
#include "cli/field_values.h"
#include "cli/progress.h"
#include "cli/writers.h"
#include "header/header_report.h"
#include "header/print.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

// The banner comes with the first recording: a run that reports none
// (a folder with no .wav file, a path that is not there) prints nothing.
void Record(Console& console, bool& wrote, const Recording& recording) {
    HoldOutput();  // the record's 64 lines go out at once
    if (wrote) {
        Print("\n");
    } else {
        PrintBanner();
    }
    wrote = true;
    PrintSelectedFile(recording.Text.c_str(), ShownText::Escaped);
    PrintHeaderSections(recording.Header, ShownText::Escaped);
    // A fresh process shows 0 where it works out no duration, and the low
    // 32 bits of a longer one; a file cut inside its header shows as the
    // run shows it, and why it fails is told beside.
    PrintAdditionalLines(recording.Check, static_cast<std::uint32_t>(recording.Duration.value_or(0)));
    if (recording.Check == RecordingCheck::Truncated) {
        TellError(console, recording.Text + ": " + TruncatedReason(recording.Size));
    }
    ReleaseOutput();
}

void WriteChain(const Chain& chain, const ChainSummary& summary) {
    HoldOutput();
    Print("\n---Chain---\n");
    // Numbers as text: MinGW's printf knows no %zu.
    Print("   Files: %s\n", std::to_string(chain.Files.size()).c_str());
    Print("   First: %s\n", EscapeControls(chain.Files.front().Text).c_str());
    Print("   Last: %s\n", EscapeControls(chain.Files.back().Text).c_str());
    PrintTime(StartTimeLine, summary.StartTime);
    PrintTime(StopTimeLine, summary.StopTime);
    Print("   WavFileDurationMillisec: %s\n", std::to_string(summary.WavFileDurationMillisec).c_str());
    for (const ChainBreak& b : summary.Breaks) {
        // The one wording of a break, as CSV and the picture give it.
        Print("   Break: %s -> %s: %s\n", EscapeControls(b.From).c_str(), EscapeControls(b.To).c_str(),
              BreakText(b).c_str());
    }
    if (chain.Missing) {
        const std::string why = chain.Missing->Why.empty() ? "" : chain.Missing->Why + "; ";
        Print("   Missing: %s (%snamed by %s)\n", EscapeControls(chain.Missing->Name).c_str(), why.c_str(),
              EscapeControls(chain.Missing->NamedBy).c_str());
    }
    if (chain.Loop) {
        Print("   Loop: %s (named by %s)\n", EscapeControls(chain.Loop->Name).c_str(),
              EscapeControls(chain.Loop->NamedBy).c_str());
    }
    if (chain.Fork) {
        Print("   Fork: %s (named by %s, already in the chain from %s)\n", EscapeControls(chain.Fork->Name).c_str(),
              EscapeControls(chain.Fork->NamedBy).c_str(), EscapeControls(chain.Fork->First).c_str());
    }
    ReleaseOutput();
}

// "CenterFreq 7100000 -> 7050000, Bandwidth 150000 -> 192000": each field the line names.
std::string Changes(const PatchOutcome& outcome) {
    std::string text;
    for (const FieldRow* row : outcome.Fields) {
        text += text.empty() ? "" : ", ";
        text += FieldName(*row);
        text += ' ';
        text += ShownValue(*outcome.Before, *row);
        text += " -> ";
        text += ShownValue(*outcome.After, *row);
    }
    return text;
}

void Patch(const PatchOutcome& outcome) {
    const std::string shown = EscapeControls(outcome.Text);
    const char* path = shown.c_str();
    switch (outcome.Result) {
        case PatchResult::Patched:
            Print("%s: %s\n", path, Changes(outcome).c_str());
            break;
        case PatchResult::WouldPatch:
            Print("would patch %s: %s\n", path, Changes(outcome).c_str());
            break;
        case PatchResult::Unchanged:
            Print("%s: unchanged\n", path);
            break;
        case PatchResult::Refused:
            Print("%s: not written: %s\n", path, outcome.Error.c_str());
            break;
        case PatchResult::Failed:
            if (!Unopened(outcome)) {  // told on standard error already
                Print("%s: write failed: %s\n", path, outcome.Error.c_str());
            }
            break;
        case PatchResult::Skipped:
            Print("%s: skipped: %s\n", path, outcome.Error.c_str());
            break;
    }
}

// Nothing at all on standard output; what went wrong with a patch is told
// on standard error instead of in its line.
void QuietPatch(Console& console, const PatchOutcome& outcome) {
    if (outcome.Result == PatchResult::Refused) {
        TellError(console, outcome.Text + ": not written: " + outcome.Error);
    } else if (outcome.Result == PatchResult::Failed && !Unopened(outcome)) {
        TellError(console, outcome.Text + ": write failed: " + outcome.Error);
    }
}

}  // namespace

// Errors are told on standard error alone.
Writer MakeTextWriter(Console& console) {
    Writer writer = BaseWriter(console);
    auto wrote = std::make_shared<bool>(false);
    writer.Record = [&console, wrote](const Recording& recording, const ChainColumns*) {
        Record(console, *wrote, recording);
    };
    writer.Chain = WriteChain;
    writer.Patch = Patch;
    return writer;
}

// Nothing on standard output and no summary line.
Writer MakeQuietWriter(Console& console) {
    Writer writer = BaseWriter(console);
    writer.Patch = [&console](const PatchOutcome& outcome) { QuietPatch(console, outcome); };
    writer.End = [](const std::string&) {};
    return writer;
}

}  // namespace kalimber
