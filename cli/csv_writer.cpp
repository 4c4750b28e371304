// The CSV writer: one row per recording, its columns picked from the table of
// fields by label, RFC 4180 quoting, empty where JSON has null.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/field_values.h"
#include "cli/writers.h"

namespace kalimber {
namespace {

// The header's columns of the layout, picked from the table by label.
inline constexpr const FieldRow* kColumns[] = {
    &field::StartTime,       &field::StopTime,   &field::CenterFreq,
    &field::Bandwidth,       &field::SampleRate, &field::NumChannels,
    &field::BitPerSample, &field::AudioFormat, &field::SN,
    &field::NextFileName};

// A field onto the row, in quotes with its quotes doubled where it holds a
// comma, a quote or a line end.
void AppendQuoted(std::string& row, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        row += field;
        return;
    }
    row += '"';
    for (const char c : field) {
        row += c;
        if (c == '"') {
            row += '"';
        }
    }
    row += '"';
}

std::string FieldColumn(const Recording& recording, const FieldRow& row) {
    if (!HoldsChunk(recording, ChunkTable[static_cast<std::size_t>(row.Chunk)])) {
        return "";  // a chunk that is not there
    }
    // Texts as cells that no spreadsheet runs; numbers and times as the lines show them.
    const bool text = row.Kind == FieldKind::Identifier || row.Kind == FieldKind::Text;
    return text ? TextCell(FieldString(recording.Header, row)) : HeaderFieldText(recording.Header, row);
}

void AddChainColumns(std::vector<std::string>& fields, const ChainColumns* columns) {
    if (columns != nullptr) {
        fields.push_back(TextCell(columns->Chain));
        fields.push_back(TextCell(columns->Link));
    }
}

}  // namespace

std::string TextCell(std::string_view text) {
    std::string cell = WellFormedUtf8(text);
    // A spreadsheet runs a cell that starts so as a formula (=cmd|' /C calc'!A0):
    // a leading ' keeps it text there. --json keeps the exact text.
    if (!cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos) {
        cell.insert(0, 1, '\'');
    }
    return cell;
}


std::vector<std::string> CsvHeaderFields(bool chain) {
    std::vector<std::string> names = {"path", "size", CheckLabel, DurationLabel};
    for (const FieldRow* row : kColumns) {
        names.push_back(row->Label);
    }
    names.push_back("error");
    if (chain) {
        names.push_back("chain");
        names.push_back("link");
    }
    return names;
}

std::vector<std::string> CsvRecordFields(const Recording& recording, const ChainColumns* columns) {
    std::vector<std::string> fields = {
        TextCell(recording.Text), std::to_string(recording.Size), CheckName(recording.Check),
        recording.Duration ? std::to_string(*recording.Duration) : ""};
    for (const FieldRow* row : kColumns) {
        fields.push_back(FieldColumn(recording, *row));
    }
    fields.push_back("");
    AddChainColumns(fields, columns);
    return fields;
}

std::vector<std::string> CsvErrorFields(const std::string& path, const std::string& reason,
                                        const ChainColumns* columns) {
    std::vector<std::string> fields(CsvHeaderFields(false).size());
    fields.front() = TextCell(path);
    fields.back() = TextCell(reason);
    AddChainColumns(fields, columns);
    return fields;
}

std::vector<std::string> CsvChainHeaderFields() {
    return {"chain", "files", field::StartTime.Label, field::StopTime.Label, DurationLabel, "breaks", "missing", "loop",
            "fork", "first_break"};
}

std::vector<std::string> CsvChainFields(const Chain& chain, const ChainSummary& summary) {
    const std::string firstBreak =
        summary.Breaks.empty()
            ? ""
            : summary.Breaks.front().From + " -> " + summary.Breaks.front().To + ": " + BreakText(summary.Breaks.front());
    return {TextCell(chain.Files.front().Text), std::to_string(chain.Files.size()), TimeText(summary.StartTime),
            TimeText(summary.StopTime), std::to_string(summary.WavFileDurationMillisec),
            std::to_string(summary.Breaks.size()), chain.Missing ? TextCell(EndName(*chain.Missing)) : "",
            chain.Loop ? TextCell(chain.Loop->Name) : "", chain.Fork ? TextCell(chain.Fork->Name) : "",
            TextCell(firstBreak)};
}

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    row.reserve(256);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            row += ',';
        }
        AppendQuoted(row, fields[i]);
    }
    row += '\n';
    return row;
}

// A header, then a row a file; outside --summary a chain is in its rows' columns.
Writer MakeCsvWriter(const CommandLineOptions& options, Console& console) {
    Writer writer = BaseWriter(console);
    const bool summary = options.Summary;
    const bool chain = options.Chain;
    writer.Begin = [summary, chain] {
        WriteOutput(CsvRow(summary ? CsvChainHeaderFields() : CsvHeaderFields(chain)));
    };
    writer.Record = [](const Recording& recording, const ChainColumns* columns) {
        WriteOutput(CsvRow(CsvRecordFields(recording, columns)));
    };
    writer.Error = [](const std::string& path, const std::string& reason, const ChainColumns* columns) {
        WriteOutput(CsvRow(CsvErrorFields(path, reason, columns)));
    };
    return writer;
}

}  // namespace kalimber
