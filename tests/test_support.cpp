// Scratch folders, output capture and whole-run helpers shared by the tests.
// POSIX only: the test suite runs on the build host.
#include "tests/test_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "run/run_image.h"
#include "header/print.h"
#include "run/run.h"
#include "tests/expected_text.h"
#include "tools/sample_recording.h"

namespace kalimber::test {

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalimber-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir() {
    ResetProcessState();  // closes what a run left open inside the folder
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    sample::ReadFileBytes(path, bytes);
    return bytes;
}

void WriteFileText(const std::string& path, const std::string& text) {
    WriteFileRaw(path, Bytes(text.begin(), text.end()));
}

void WriteFileRaw(const std::string& path, const Bytes& bytes) {
    if (!sample::WriteFileBytes(path, bytes)) {
        throw std::runtime_error("cannot write " + path);
    }
}

Bytes WellFormedRecording(std::uint32_t dataBytes) {
    return RecordingWith(sample::MakeHeader(dataBytes), dataBytes);
}

Bytes RecordingWith(const RecordingHeader& header, std::uint32_t dataBytes) {
    return sample::MakeRecording(header, sample::MakeSamples(dataBytes));
}

Bytes PlainWav(std::uint32_t dataBytes) {
    Bytes bytes(44);
    auto put = [&bytes](std::size_t offset, std::uint32_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    auto id = [&bytes](std::size_t offset, const char (&text)[5]) {
        std::memcpy(bytes.data() + offset, text, 4);
    };
    id(0, "RIFF");
    put(4, 36 + dataBytes, 4);
    id(8, "WAVE");
    id(12, "fmt ");
    put(16, 16, 4);
    put(20, 1, 2);  // integer samples, 2 channels of 16 bits at 48 kHz
    put(22, 2, 2);
    put(24, 48000, 4);
    put(28, 48000 * 4, 4);
    put(32, 4, 2);
    put(34, 16, 2);
    id(36, "data");
    put(40, dataBytes, 4);
    const Bytes samples = sample::MakeSamples(dataBytes);
    bytes.resize(44 + samples.size());
    std::copy(samples.begin(), samples.end(), bytes.begin() + 44);
    return bytes;
}

Bytes Patched(Bytes bytes, std::uint32_t centerFreq, std::uint32_t bandwidth) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(76 + i) = static_cast<std::uint8_t>(centerFreq >> (8 * i));
        bytes.at(88 + i) = static_cast<std::uint8_t>(bandwidth >> (8 * i));
    }
    return bytes;
}

std::string ReportOfBytes(const Bytes& bytes) {
    const std::string path = "report-of.wav";
    WriteFileRaw(path, bytes);
    std::string report = ReportOf(path);
    std::filesystem::remove(path);
    return report;
}

std::string ExpectedRunOutput(const std::string& path, const Bytes& before,
                              const std::string& messages, const Bytes& after) {
    std::string output = kBanner + "Selected file: \n" + path + "\n\n" + kRule + "\n" +
                         ReportOfBytes(before) + kCmdListBanner + messages;
    if (messages.find("Cmd Write") != std::string::npos) {
        output += kNewHeaderBanner + ReportOfBytes(after);
    }
    return output;
}

std::string RunWithCommandFile(const std::string& commandFileText) {
    WriteFileText("ToDoWave.txt", commandFileText);
    ResetProcessState();
    CapturedOutput output;
    Run();
    return output.Take();
}

std::string ReportOf(const std::string& path) {
    ResetProcessState();
    std::FILE* file = std::fopen(path.c_str(), "rb+");
    if (file == nullptr) {
        throw std::runtime_error("cannot open " + path);
    }
    CapturedOutput output;
    PrintHeaderReport(file);
    std::fclose(file);
    return output.Take();
}

void MakeSparseRecording(const std::string& path, const RecordingHeader& header,
                         std::int64_t size) {
    WriteFileRaw(path, Bytes(HeaderBytes(header), HeaderBytes(header) + HeaderSize));
    if (truncate(path.c_str(), static_cast<off_t>(size)) != 0) {
        throw std::runtime_error("truncate failed for " + path + ": " + std::strerror(errno));
    }
}

std::string Utf16CommandFile(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

FakePlatform::FakePlatform() : saved_(g_Platform) {
    syncs = 0;
    syncFails = false;
    console = false;
    consoleText.clear();
    ownsConsole = false;
    waits = 0;
    g_Platform.OwnsConsoleAlone = [] { return ownsConsole; };
    g_Platform.WaitForEnter = [] { ++waits; };
    g_Platform.SyncFile = [](std::FILE* file) {
        ++syncs;
        return !syncFails && SystemCalls().SyncFile(file);
    };
    g_Platform.IsConsole = [](std::FILE*) { return console; };
    g_Platform.WriteConsoleLine = [](std::FILE*, const std::u16string& characters) {
        consoleText += characters + u'\n';
    };
    // Windows-1252 for the bytes the tests use: 0xE4 is a-umlaut, 0x80 the euro sign.
    g_Platform.DecodeAnsi = [](std::string_view bytes) {
        std::u16string text;
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            text += b == 0x80 ? u'\u20AC' : static_cast<char16_t>(b);
        }
        return text;
    };
}

FakePlatform::~FakePlatform() {
    g_Platform = saved_;
}

}  // namespace kalimber::test
