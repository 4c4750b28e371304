// Builds the example session file by file from the recording builder: the
// headers written, the samples left as a hole of the right size.
#include "tools/example_session.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "tools/sample_recording.h"

namespace kalimber::sample {
namespace {

using namespace std::chrono;

// A minute at 192000 frames a second is 3750 whole blocks of 3072 frames.
constexpr std::uint32_t kMinuteBytes = 3750 * 12288;

// 4.8 s at 192000 frames a second: 300 blocks of 3072 frames.
constexpr std::uint32_t kBlockBytes = 12288;
constexpr milliseconds kBlockTime{16};

bool WritePart(const std::string& folder, const std::string& name, sys_time<milliseconds> start,
               std::uint32_t centerFreq, std::uint32_t bandwidth, const std::string& next,
               std::uint32_t dataBytes = kMinuteBytes) {
    RecordingHeader h = MakeHeader(dataBytes);
    SetTime(h.Auxi.StartTime, start);
    SetTime(h.Auxi.StopTime, start + dataBytes / kBlockBytes * kBlockTime);
    h.Auxi.CenterFreq.Set(centerFreq);
    h.Auxi.Bandwidth.Set(bandwidth);
    SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, next);
    const std::string path = folder + "/" + name;
    std::error_code error;
    return WriteFileBytes(path, MakeRecording(h, {})) &&
           (std::filesystem::resize_file(path, HeaderSize + dataBytes, error), !error);
}

std::string Name(char band, int n) {
    return std::string(1, band) + (n < 10 ? "0" : "") + std::to_string(n) + ".wav";
}

}  // namespace

bool WriteExampleSession(const std::string& folder) {
    const sys_time<milliseconds> night = sys_days{year{2026} / November / 28} + hours{23} + minutes{52};
    bool written = true;
    for (int n = 1; n <= 15; ++n) {
        written = written && WritePart(folder, Name('a', n), night + minutes{n - 1}, 7100000, 192000,
                                       n < 15 ? Name('a', n + 1) : "");
    }
    for (int n = 1; n <= 14; ++n) {
        const milliseconds gap{n >= 8 ? 5000 : 0};
        written = written && WritePart(folder, Name('b', n), night + seconds{90} + minutes{n - 1} + gap, 14200000,
                                       192000, n < 14 ? Name('b', n + 1) : "");
    }
    return written && WritePart(folder, Name('c', 1), night + minutes{16}, 7100000, 192000, Name('a', 8));
}

bool WriteCrowdedSession(const std::string& folder) {
    const sys_time<milliseconds> noon = sys_days{year{2026} / December / 1} + hours{12};
    const auto name = [](char band, int n) { return std::string(1, band) + std::to_string(n) + ".wav"; };
    bool written = true;
    for (int n = 1; n <= 9; ++n) {
        written = written && WritePart(folder, name('a', n), noon + (n - 1) * milliseconds{6300}, 7100000, 192000,
                                       n < 9 ? name('a', n + 1) : "", 300 * kBlockBytes);
    }
    for (int n = 1; n <= 3; ++n) {
        written = written && WritePart(folder, name('b', n), noon + seconds{10} + (n - 1) * milliseconds{19200},
                                       7200000, 192000, n < 3 ? name('b', n + 1) : "", 1200 * kBlockBytes);
    }
    return written && WritePart(folder, "c.wav", noon, 1000000, 192000, "", 3600 * kBlockBytes) &&
           WritePart(folder, "d.wav", noon, 145000000, 192000, "", 3600 * kBlockBytes);
}

}  // namespace kalimber::sample
