// The recording builder: a plausible header set field by field, quadrature
// tone samples from integer arithmetic, and writing the result to a file.
#include "tools/sample_recording.h"

#include <cstdio>
#include <cstring>

namespace kalimber::sample {

void SetText(std::uint8_t* field, std::size_t width, const std::string& text) {
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

void SetId(ChunkId& id, const char (&text)[5]) {
    for (std::size_t i = 0; i < 4; ++i) {
        id[i] = static_cast<std::uint8_t>(text[i]);
    }
}

namespace {

void SetTime(TimeStamp& t, unsigned year, unsigned month, unsigned dayOfWeek, unsigned day,
             unsigned hour, unsigned minute, unsigned second, unsigned millisecond) {
    t.Year.Set(static_cast<std::uint16_t>(year));
    t.Month.Set(static_cast<std::uint16_t>(month));
    t.DayOfWeek.Set(static_cast<std::uint16_t>(dayOfWeek));
    t.Day.Set(static_cast<std::uint16_t>(day));
    t.Hour.Set(static_cast<std::uint16_t>(hour));
    t.Minute.Set(static_cast<std::uint16_t>(minute));
    t.Second.Set(static_cast<std::uint16_t>(second));
    t.Millisecond.Set(static_cast<std::uint16_t>(millisecond));
}

}  // namespace

void SetTime(TimeStamp& t, std::chrono::sys_time<std::chrono::milliseconds> at) {
    using namespace std::chrono;
    const sys_days days = floor<std::chrono::days>(at);
    const year_month_day date{days};
    const hh_mm_ss<milliseconds> time{at - days};
    SetTime(t, static_cast<unsigned>(static_cast<int>(date.year())), static_cast<unsigned>(date.month()),
            weekday{days}.c_encoding(), static_cast<unsigned>(date.day()),
            static_cast<unsigned>(time.hours().count()), static_cast<unsigned>(time.minutes().count()),
            static_cast<unsigned>(time.seconds().count()), static_cast<unsigned>(time.subseconds().count()));
}

std::chrono::sys_time<std::chrono::milliseconds> SampleStart() {
    using namespace std::chrono;
    return sys_days{year{2021} / April / 17} + hours{14} + minutes{3} + seconds{9} + milliseconds{45};
}

RecordingHeader MakeSessionPart(std::chrono::sys_time<std::chrono::milliseconds> start,
                                const std::string& next) {
    RecordingHeader h = MakeHeader(SampleDataBytes);
    SetTime(h.Auxi.StartTime, start);
    SetTime(h.Auxi.StopTime, start + std::chrono::milliseconds{160});
    SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, next);
    return h;
}

RecordingHeader MakeHeader(std::uint32_t dataBytes) {
    RecordingHeader h{};
    SetId(h.Riff.Id, "RIFF");
    h.Riff.Size.Set(static_cast<std::uint32_t>(HeaderSize - 8 + dataBytes));
    SetId(h.Riff.Format, "WAVE");

    SetId(h.Fmt.Id, "fmt ");
    h.Fmt.Size.Set(16);
    h.Fmt.AudioFormat.Set(1);
    h.Fmt.NumChannels.Set(2);
    h.Fmt.SampleRate.Set(192000);
    h.Fmt.ByteRate.Set(192000 * 4);
    h.Fmt.BlockAlign.Set(4);
    h.Fmt.BitPerSample.Set(16);

    SetId(h.Auxi.Id, "auxi");
    h.Auxi.Size.Set(164);
    SetTime(h.Auxi.StartTime, 2021, 4, 6, 17, 14, 3, 9, 45);
    SetTime(h.Auxi.StopTime, 2021, 4, 6, 17, 14, 3, 9, 205);
    h.Auxi.CenterFreq.Set(7100000);
    h.Auxi.ADFrequency.Set(64000000);
    h.Auxi.IFFrequency.Set(0);
    h.Auxi.Bandwidth.Set(150000);
    h.Auxi.IQOffset.Set(0);
    h.Auxi.DBOffset.Set(0);
    h.Auxi.MaxVal.Set(32767);
    SetText(h.Auxi.NextFileName, sizeof h.Auxi.NextFileName, "");

    SetId(h.Orva.Id, "orva");
    h.Orva.Size.Set(92);
    h.Orva.LocalToUTC.Set(-60);
    h.Orva.LastDemodFreq.Set(7100000);
    h.Orva.LastDemodBw.Set(2700);
    h.Orva.LastDemodMode.Set(2);
    h.Orva.Filter = 3;
    h.Orva.Attenuator = 10;
    h.Orva.VID.Set(0x1A2);
    h.Orva.PID.Set(0xB0C4);
    SetText(h.Orva.SN, sizeof h.Orva.SN, "KLB-0042-7731");
    h.Orva.RxMode = 1;
    h.Orva.Options1 = 2;  // block mode 1: 3072 frames a block
    h.Orva.Options2 = 0;
    h.Orva.Version = 1;

    SetId(h.Data.Id, "data");
    h.Data.Size.Set(dataBytes);
    return h;
}

std::vector<std::uint8_t> MakeSamples(std::uint32_t dataBytes) {
    // A triangle-wave I and the same wave a quarter period later as Q.
    constexpr int kPeriod = 64;
    auto triangle = [](int phase) {
        const int p = phase % kPeriod;
        const int rise = p < kPeriod / 2 ? p : kPeriod - p;  // 0 .. 32
        return static_cast<std::int16_t>((rise - 16) * 1000);
    };
    std::vector<std::uint8_t> bytes(dataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i) {
        const std::uint32_t frame = i / 4;
        const bool isQ = (i / 2) % 2 != 0;
        const int phase = static_cast<int>(frame % kPeriod) + (isQ ? kPeriod / 4 : 0);
        const auto value = static_cast<std::uint16_t>(triangle(phase));
        bytes[i] = static_cast<std::uint8_t>(i % 2 == 0 ? value : value >> 8);
    }
    return bytes;
}

std::vector<std::uint8_t> MakeRecording(const RecordingHeader& header,
                                        const std::vector<std::uint8_t>& samples) {
    std::vector<std::uint8_t> bytes(HeaderBytes(header), HeaderBytes(header) + HeaderSize);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace kalimber::sample

namespace kalimber::sample {

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::uint8_t chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    return true;
}

}  // namespace kalimber::sample
