// Picks the one writer of a run from its options: the only place that
// decides what goes to standard output.
#include "cli/writers.h"

namespace kalimber {

namespace {

void NoRecord(WriterState&, const Recording&, const ChainColumns*) {}

void NoError(WriterState&, const std::string&, const std::string&, const ChainColumns*) {}

void WriteCsvChain(WriterState&, const Chain& chain, const ChainSummary& summary) {
    WriteOutput(CsvRow(CsvChainFields(chain, summary)));
}

}  // namespace

Writer PickWriter(const CommandLineOptions& options) {
    if (options.Quiet) {
        return QuietWriter;
    }
    if (options.Format == OutputFormat::Svg) {
        return SvgWriter;
    }
    Writer writer = options.Format == OutputFormat::Json    ? JsonWriter
                    : options.Format == OutputFormat::Csv   ? CsvWriter
                    : options.Format == OutputFormat::Brief ? BriefWriter
                                                            : TextWriter;
    if (options.Summary) {
        // The chain sections alone; in CSV, one row per chain.
        writer.Record = NoRecord;
        writer.Error = NoError;
        if (options.Format == OutputFormat::Csv) {
            writer.Chain = WriteCsvChain;
        }
    }
    return writer;
}

}  // namespace kalimber
