// Fuzz target: a whole run in-process. The input's first two bytes give the
// recording's length (little-endian, cut to what there is), the recording's
// bytes follow, and the rest is the command lines after the path line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "run/command_list.h"
#include "run/run.h"
#include "tests/expected_text.h"

using namespace kalimber;
using test::kCmdListBanner;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 8192) {
        return -1;
    }
    const std::size_t wanted = static_cast<std::size_t>(data[0] | data[1] << 8) % 2200;
    const std::size_t length = std::min(wanted, size - 2);
    const std::uint8_t* recording = data + 2;
    const std::uint8_t* commands = recording + length;
    const std::size_t commandsSize = size - 2 - length;

    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", recording, length);
    std::string commandFile = "r.wav\n";
    commandFile.append(reinterpret_cast<const char*>(commands), commandsSize);
    fuzz::WriteWhole("ToDoWave.txt", reinterpret_cast<const std::uint8_t*>(commandFile.data()),
                     commandFile.size());

    ResetProcessState();
    std::string output;
    {
        fuzz::OutputSink sink;
        Run();
        output = sink.Text();
    }
    fuzz::Require(g_RecordingFile == nullptr && g_CommandFile == nullptr, "both files closed");
    fuzz::Require(output.find(kCmdListBanner) != std::string::npos, "the command list ran");
    if (g_HeaderModified) {
        fuzz::Require(fuzz::EndsWithReportEnd(output), "the second report ended the run");
    } else {
        fuzz::Require(test::EndsWith(output, kCmdListBanner) ||
                          test::EndsWith(output, "Wrong Command\n"),
                      "a run without writes ends with its command list");
    }
    const std::vector<std::uint8_t> before(recording, recording + length);
    fuzz::RequireOnlyAuxiChanged(before, fuzz::ReadWhole("r.wav"));
    return 0;
}
