// Picks the one writer of a run from its options: the only place that
// decides what goes to standard output.
#include "cli/writers.h"

namespace kalimber {

Writer BaseWriter(Console& console) {
    Writer writer;
    writer.Begin = [] {};
    writer.Record = [](const Recording&, const ChainColumns*) {};
    writer.Error = [](const std::string&, const std::string&, const ChainColumns*) {};
    writer.Chain = [](const Chain&, const ChainSummary&) {};
    writer.Patch = [](const PatchOutcome&) {};
    writer.End = [&console](const std::string& summary) {
        if (!summary.empty()) {
            TellLine(console, summary);
        }
    };
    writer.Finish = [] { return true; };
    return writer;
}

Writer PickWriter(const CommandLineOptions& options, Console& console) {
    console = OpenConsole(options.Quiet);
    if (options.Quiet) {
        return MakeQuietWriter(console);
    }
    if (options.Format == OutputFormat::Svg) {
        return MakeSvgWriter(options);
    }
    Writer writer = options.Format == OutputFormat::Json    ? MakeJsonWriter(console)
                    : options.Format == OutputFormat::Csv   ? MakeCsvWriter(options, console)
                    : options.Format == OutputFormat::Brief ? MakeBriefWriter(console)
                                                            : MakeTextWriter(console);
    if (options.Summary) {
        // The chain sections alone; in CSV, one row per chain.
        writer.Record = [](const Recording&, const ChainColumns*) {};
        writer.Error = [](const std::string&, const std::string&, const ChainColumns*) {};
        if (options.Format == OutputFormat::Csv) {
            writer.Chain = [](const Chain& chain, const ChainSummary& summary) {
                WriteOutput(CsvRow(CsvChainFields(chain, summary)));
            };
        }
    }
    return writer;
}

}  // namespace kalimber
