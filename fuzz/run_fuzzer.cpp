// Fuzz target: a whole run in-process. The input's first two bytes give the
// recording's length (low 14 bits, little-endian, cut to what there is) and
// how the command file begins (top 2 bits: plain, UTF-8 mark, UTF-16 LE or BE
// with its mark); the recording's bytes follow, and the rest is the command
// file after its path line, taken as it is (UTF-16 units for UTF-16).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/unicode.h"
#include "run/command_list.h"
#include "run/run.h"
#include "tests/expected_text.h"

using namespace kalimber;
using test::kCmdListBanner;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 8192) {
        return -1;
    }
    static const std::string kPathLines[] = {
        "r.wav\n",
        "\xEF\xBB\xBFr.wav\n",
        std::string("\xFF\xFEr\0.\0w\0a\0v\0\n\0", 14),
        std::string("\xFE\xFF\0r\0.\0w\0a\0v\0\n", 14),
    };
    const std::size_t wanted = static_cast<std::size_t>(data[0] | (data[1] & 0x3F) << 8) % 2200;
    const std::string& pathLine = kPathLines[data[1] >> 6];
    const std::size_t length = std::min(wanted, size - 2);
    const std::uint8_t* recording = data + 2;
    const std::uint8_t* commands = recording + length;
    const std::size_t commandsSize = size - 2 - length;

    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", recording, length);
    std::string commandFile = pathLine;
    commandFile.append(reinterpret_cast<const char*>(commands), commandsSize);
    fuzz::WriteWhole("ToDoWave.txt", reinterpret_cast<const std::uint8_t*>(commandFile.data()),
                     commandFile.size());

    ResetProcessState();
    std::string output;
    {
        CapturedOutput sink;
        Run();
        output = sink.Take();
    }
    fuzz::Require(g_RecordingFile == nullptr && g_CommandFile == nullptr, "both files closed");
    fuzz::Require(output.find(kCmdListBanner) != std::string::npos, "the command list ran");
    if (g_HeaderModified) {
        fuzz::Require(fuzz::EndsWithReportEnd(output), "the second report ended the run");
    } else {
        fuzz::Require(test::EndsWith(output, kCmdListBanner) ||
                          test::EndsWith(output, "Wrong Command\n") ||
                          test::EndsWith(output, test::kNotWritten),
                      "a run without writes ends with its command list");
    }
    // Strict UTF-8: whatever the decoder accepts encodes back to the same bytes.
    const std::string_view commandBytes(reinterpret_cast<const char*>(commands), commandsSize);
    std::u16string text;
    if (Utf8ToUtf16(commandBytes, text)) {
        std::string again;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF) {
                fuzz::Require(i + 1 < text.size(), "a high surrogate has its pair");
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            }
            std::uint8_t bytes[4];
            again.append(reinterpret_cast<const char*>(bytes), EncodeUtf8(c, bytes));
        }
        fuzz::Require(again == commandBytes, "UTF-8 decodes and encodes back to itself");
    }
    const std::vector<std::uint8_t> before(recording, recording + length);
    fuzz::Require(fuzz::HoldsAuxiChunk(before) || !g_HeaderModified,
                  "only a file with an AUXI chunk is written");
    fuzz::RequireOnlyAuxiChanged(before, fuzz::ReadWhole("r.wav"));
    return 0;
}
