// Fuzz target: the command line's patch of one file. The input's first byte
// picks what is given (bit 0 --cf, bit 1 --bw, neither: both; bit 2
// --dry-run; bit 3 a write that stops after as many bytes as the byte after
// the values says, bit 4 the writes after it too; bit 5 --shift by the first
// value as signed seconds, bit 6 --fix-sizes, bit 7 --stop-from-duration),
// the next eight are the two values (little-endian), and the rest is the
// file. The file keeps its size, changes only in the fields asked for, and
// not at all when it holds no AUXI chunk, on a dry run or when a write
// failed; a patched file holds what the recording given back holds.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "cli/patch.h"
#include "cli/writers.h"
#include "fuzz/fuzz_support.h"
#include "header/print.h"
#include "platform/platform.h"

using namespace kalimber;

namespace {

std::size_t g_WriteLimit = 0;  // the bytes a failing write puts before it fails
bool g_FailAgain = false;      // the writes after the first fail the same way
int g_Writes = 0;

std::size_t FailingWrite(const void* bytes, std::size_t length, std::FILE* file) {
    const bool fails = g_Writes++ == 0 || g_FailAgain;
    const std::size_t put = std::fwrite(bytes, 1, fails ? std::min(length, g_WriteLimit) : length, file);
    if (put < length) {
        errno = ENOSPC;
    }
    return put;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9 || size > 4096) {
        return -1;
    }
    auto value = [data](std::size_t at) {
        return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16) |
               static_cast<std::uint32_t>(data[at + 3]) << 24;
    };
    CommandLineOptions options;
    const bool both = (data[0] & 3) == 0;
    std::optional<std::uint32_t> centerFreq;
    std::optional<std::uint32_t> bandwidth;
    auto set = [&options](const FieldRow& row, std::uint32_t v) {
        FieldSetting setting;
        setting.Row = &row;
        for (std::size_t i = 0; i < 4; ++i) {
            setting.Bytes[i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
        options.Edits.Sets.push_back(setting);
    };
    if (both || (data[0] & 1) != 0) {
        centerFreq = value(1);
        set(field::CenterFreq, *centerFreq);
    }
    if (both || (data[0] & 2) != 0) {
        bandwidth = value(5);
        set(field::Bandwidth, *bandwidth);
    }
    options.DryRun = (data[0] & 4) != 0;
    const bool times = (data[0] & 0xA0) != 0;
    if ((data[0] & 32) != 0) {
        options.Edits.ShiftMs = static_cast<std::int64_t>(static_cast<std::int32_t>(value(1))) * 1000;
    }
    options.Edits.FixSizes = (data[0] & 64) != 0;
    options.Edits.StopFromDuration = (data[0] & 128) != 0;
    const bool failing = (data[0] & 8) != 0;
    if (failing && size < 10) {
        return -1;
    }
    g_WriteLimit = failing ? data[9] : 0;
    g_FailAgain = (data[0] & 16) != 0;
    g_Writes = 0;
    const std::size_t fileAt = failing ? 10 : 9;
    const std::vector<std::uint8_t> before(data + fileAt, data + size);

    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", before.data(), before.size());
    static std::FILE* errors = std::fopen("/dev/null", "w");
    g_ErrorOutput = errors;
    PatchTally tally;
    AuxiChunk now{};
    RecordingHeader given{};
    {
        CapturedOutput sink;
        if (failing) {
            g_Platform.WriteBytes = &FailingWrite;
        }
        const PatchedFile patched = PatchFile({"r.wav", "r.wav", ""}, options);
        g_Platform.WriteBytes = SystemCalls().WriteBytes;
        Count(tally, patched.Outcome.Result);
        Console console;
        MakeTextWriter(console).Patch(patched.Outcome);
        MakeJsonWriter(console).Patch(patched.Outcome);
        now = patched.Now.Header.Auxi;
        given = patched.Now.Header;
    }
    g_ErrorOutput = nullptr;
    const std::vector<std::uint8_t> after = fuzz::ReadWhole("r.wav");
    fuzz::Require(tally.Patched + tally.Unchanged + tally.Refused + tally.Failed == 1, "one result");
    fuzz::Require(after.size() == before.size(), "the file keeps its size");
    const bool holds = fuzz::HoldsAuxiChunk(before);
    fuzz::Require(holds || tally.Refused == 1, "a file without an AUXI chunk is refused");
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool field = (i >= 76 && i < 80) || (i >= 88 && i < 92) || (times && i >= 44 && i < 76) ||
                           (options.Edits.FixSizes && ((i >= 4 && i < 8) || (i >= 312 && i < 316)));
        fuzz::Require(before[i] == after[i] || (field && holds && tally.Patched == 1 && !options.DryRun),
                      "only the fields asked for change, and only when written");
        if (tally.Patched == 1 && i < HeaderSize) {
            fuzz::Require(after[i] == HeaderBytes(given)[i], "the recording given back holds what the file holds");
        }
    }
    auto at = [](const std::vector<std::uint8_t>& file, std::size_t i) {
        return static_cast<std::uint32_t>(file[i] | file[i + 1] << 8 | file[i + 2] << 16) |
               static_cast<std::uint32_t>(file[i + 3]) << 24;
    };
    if (tally.Refused == 0 && tally.Failed == 0) {
        fuzz::Require(at(after, 76) == now.CenterFreq.Get() && at(after, 88) == now.Bandwidth.Get(),
                      "the recording given back holds what the file holds");
    }
    if (tally.Patched == 1 && !options.DryRun) {
        fuzz::Require(!centerFreq || at(after, 76) == *centerFreq, "CenterFreq written");
        fuzz::Require(!bandwidth || at(after, 88) == *bandwidth, "Bandwidth written");
        fuzz::Require(!failing || g_WriteLimit >= 4, "a write that fell short counts as failed");
    }
    if (holds) {
        const bool old = at(after, 76) == at(before, 76) && at(after, 88) == at(before, 88);
        const bool all = at(after, 76) == centerFreq.value_or(at(before, 76)) &&
                         at(after, 88) == bandwidth.value_or(at(before, 88));
        fuzz::Require(old || all, "both old values or both new ones");
    }
    return 0;
}
