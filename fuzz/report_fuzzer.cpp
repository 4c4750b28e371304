// Fuzz target: any bytes (to about 2 KiB) as a recording, through the run's
// report and the command line's loaded recording and its writers, and their
// start as a TIME and a DURATION; nothing written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <nlohmann/json.hpp>

#include "cli/calendar.h"
#include "cli/chain.h"
#include "cli/recording.h"
#include "cli/writers.h"
#include "fuzz/fuzz_support.h"
#include "run/run_image.h"
#include "header/header_report.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "run/run.h"

using namespace kalimber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2200) {
        return -1;
    }
    // The same bytes as a value of the repair options: read strictly, and a
    // time read back whole.
    const std::string_view text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64));
    (void)ReadDuration(text);
    if (const std::optional<TimeStamp> time = ReadTime(text)) {
        fuzz::Require(StampInstant(*time).has_value(), "a time read is a real date");
    }
    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", data, size);
    ResetProcessState();
    std::string output;
    RecordingHeader fiveReads{};
    std::uint32_t duration = 0;
    {
        CapturedOutput sink;
        std::FILE* recording = std::fopen("r.wav", "rb+");
        fuzz::Require(recording != nullptr, "open the recording");
        PrintHeaderReport(recording);
        fiveReads = g_RecordingHeader;
        duration = g_WavFileDurationMillisec;
        ResetRecordingState();
        LoadHeaderAtOnce(recording);
        CheckRecordingOfSize(FileSize(recording));
        fuzz::Require(std::memcmp(&fiveReads, &g_RecordingHeader, HeaderSize) == 0 &&
                          duration == g_WavFileDurationMillisec,
                      "one read loads what five do");
        std::fclose(recording);
        output = sink.Take();
    }
    // The command line's value of the same file, from its one open.
    const Recording loaded = LoadRecording({"r.wav", "r.wav", ""});
    fuzz::Require(loaded.Error.empty() && std::memcmp(&loaded.Header, &fiveReads, HeaderSize) == 0 &&
                      loaded.Check == CheckRecordingFile(fiveReads, static_cast<std::int64_t>(size)) &&
                      static_cast<std::uint32_t>(loaded.Duration.value_or(0)) == duration &&
                      loaded.Size == static_cast<std::int64_t>(size),
                  "the loaded recording holds what the report read");
    const nlohmann::json record = nlohmann::json::parse(JsonRecord(loaded));  // throws if it is no JSON
    fuzz::Require(record["type"] == "recording", "a recording's JSON line");
    fuzz::Require(CsvRecordFields(loaded, nullptr).size() == CsvHeaderFields(false).size(),
                  "a CSV row as wide as its header");
    {
        CapturedOutput sink;
        Console console;
        MakeTextWriter(console).Record(loaded, nullptr);
        fuzz::Require(fuzz::EndsWithReportEnd(sink.Take()), "the text writer's report ends with its last section");
    }
    {
        // A picture of it linked to a file of the same bytes backwards, so
        // that both ends of a link hold any times and frequencies, and a
        // chain that ends at a missing name out of the header.
        Recording backwards = loaded;
        std::uint8_t* bytes = HeaderBytes(backwards.Header);
        std::reverse(bytes, bytes + HeaderSize);
        backwards.Text = std::string(reinterpret_cast<const char*>(bytes), 40);
        Chain chain;
        chain.Files = {loaded, backwards};
        chain.Missing = ChainEnd{LinkName(FieldString(loaded.Header, field::NextFileName)), "r.wav", "", ""};
        CapturedOutput sink;
        CommandLineOptions options;
        options.Paths = {backwards.Text};
        const Writer svgWriter = MakeSvgWriter(options);
        svgWriter.Record(loaded, nullptr);
        svgWriter.Record(backwards, nullptr);
        svgWriter.Chain(chain, CheckChain(chain, 1000));
        svgWriter.Finish();
        const std::string svg = sink.Take();
        bool xmlCharacters = WellFormedUtf8(svg) == svg;
        for (const char c : svg) {
            xmlCharacters = xmlCharacters && (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t');
        }
        fuzz::Require(xmlCharacters && svg.find("\xEF\xBF\xBE") == std::string::npos &&
                          svg.find("\xEF\xBF\xBF") == std::string::npos,
                      "the picture holds only characters an XML document may");
        fuzz::Require(svg.rfind("<?xml", 0) == 0 && svg.size() > 7 && svg.compare(svg.size() - 7, 7, "</svg>\n") == 0,
                      "the picture is whole");
    }
    fuzz::Require(output.rfind("---RIFF Chunk---\n", 0) == 0, "the report starts with RIFF");
    fuzz::Require(fuzz::EndsWithReportEnd(output), "the report ends with its last section");
    const auto after = fuzz::ReadWhole("r.wav");
    fuzz::Require(after.size() == size && (size == 0 || std::equal(after.begin(), after.end(), data)),
                  "the report left the file as it was");
    return 0;
}
