// The text report: the very lines a ToDoWave.txt run prints for a recording,
// from its selected-file head to the end of the additional information,
// with controls in names and text fields shown escaped.
#include <cstdio>
#include <string>

#include "cli/writers.h"
#include "header/header_report.h"
#include "header/recording_header.h"
#include "header/print.h"
#include "platform/unicode.h"
#include "run/run.h"

namespace kalimber {

void WriteTextReport(const std::string& path, std::FILE* recording, bool first) {
    if (!first) {
        Print("\n");
    }
    PrintSelectedFile(path.c_str(), ShownText::Escaped);
    PrintHeaderReport(recording, ShownText::Escaped);
}

void WriteTextChain(const Chain& chain, const ChainSummary& summary) {
    Print("\n---Chain---\n");
    // Numbers as text: MinGW's printf knows no %zu.
    Print("   Files: %s\n", std::to_string(chain.Files.size()).c_str());
    Print("   First: %s\n", EscapeControls(chain.Files.front().Text).c_str());
    Print("   Last: %s\n", EscapeControls(chain.Files.back().Text).c_str());
    PrintTime(StartTimeLine, summary.StartTime);
    PrintTime(StopTimeLine, summary.StopTime);
    Print("   WavFileDurationMillisec: %s\n", std::to_string(summary.WavFileDurationMillisec).c_str());
    for (const ChainBreak& b : summary.Breaks) {
        const std::string link = EscapeControls(b.From) + " -> " + EscapeControls(b.To);
        switch (b.Kind) {
            case BreakKind::Gap:
                Print("   Break: %s: gap %s ms\n", link.c_str(), std::to_string(b.GapMs).c_str());
                break;
            case BreakKind::Overlap:
                Print("   Break: %s: overlap %s ms\n", link.c_str(), std::to_string(-b.GapMs).c_str());
                break;
            case BreakKind::Unreadable:
                Print("   Break: %s: gap unreadable\n", link.c_str());
                break;
            case BreakKind::Field:
                if (b.Field == "Check") {
                    Print("   Break: %s: Check %s != %s\n", link.c_str(), b.FromCheck.c_str(), b.ToCheck.c_str());
                } else {
                    Print("   Break: %s: %s %s != %s\n", link.c_str(), b.Field.c_str(),
                          std::to_string(b.FromValue).c_str(), std::to_string(b.ToValue).c_str());
                }
                break;
        }
    }
    if (chain.Missing) {
        Print("   Missing: %s (named by %s)\n", EscapeControls(chain.Missing->Name).c_str(),
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
}

void WriteOutput(std::string_view text) {
    WriteOutputBytes(text.data(), text.size());
}

}  // namespace kalimber
