// Fuzz target: any bytes, up to about 2 KiB, as a recording, through the whole
// header report with the additional information. The report never writes,
// and the command line's one-read load gives the report's image.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "header/additional_information.h"
#include "header/header_report.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "run/run.h"

using namespace kalimber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2200) {
        return -1;
    }
    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", data, size);
    ResetProcessState();
    std::string output;
    {
        fuzz::OutputSink sink;
        std::FILE* recording = std::fopen("r.wav", "rb+");
        fuzz::Require(recording != nullptr, "open the recording");
        PrintHeaderReport(recording);
        const RecordingHeader fiveReads = g_RecordingHeader;
        const std::uint32_t duration = g_WavFileDurationMillisec;
        ResetRecordingState();
        LoadHeaderAtOnce(recording);
        CheckRecordingOfSize(FileSize(recording));
        fuzz::Require(std::memcmp(&fiveReads, &g_RecordingHeader, HeaderSize) == 0 &&
                          duration == g_WavFileDurationMillisec,
                      "one read loads what five do");
        std::fclose(recording);
        output = sink.Text();
    }
    fuzz::Require(output.rfind("---RIFF Chunk---\n", 0) == 0, "the report starts with RIFF");
    fuzz::Require(fuzz::EndsWithReportEnd(output), "the report ends with its last section");
    const auto after = fuzz::ReadWhole("r.wav");
    fuzz::Require(after.size() == size && (size == 0 || std::equal(after.begin(), after.end(), data)),
                  "the report left the file as it was");
    return 0;
}
