// In-process micro-benchmarks with Google Benchmark: loading and printing the
// report to a null sink, and carrying out one command.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "run/run_image.h"
#include "header/print.h"
#include "run/command_list.h"
#include "run/run.h"
#include "tools/sample_recording.h"

namespace {

std::string MakeRecordingFile() {
    using namespace kalimber::sample;
    const std::string path = (std::filesystem::temp_directory_path() / "kalimber-micro.wav").string();
    WriteFileBytes(path, MakeRecording(MakeHeader(SampleDataBytes), MakeSamples(SampleDataBytes)));
    return path;
}

void BM_Report(benchmark::State& state) {
    const std::string path = MakeRecordingFile();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::FILE* recording = std::fopen(path.c_str(), "rb+");
    kalimber::ResetProcessState();
    kalimber::g_Output = sink;
    for (auto _ : state) {
        kalimber::PrintHeaderReport(recording);
    }
    kalimber::g_Output = nullptr;
    std::fclose(recording);
    std::fclose(sink);
    std::filesystem::remove(path);
}
BENCHMARK(BM_Report);

void BM_Command(benchmark::State& state) {
    const std::string path = MakeRecordingFile();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::FILE* recording = std::fopen(path.c_str(), "rb+");
    std::setvbuf(recording, nullptr, _IONBF, 0);
    kalimber::ResetProcessState();
    kalimber::g_Output = sink;
    for (auto _ : state) {
        kalimber::HandleCommandLine("WCF 7050000\n", recording);
    }
    kalimber::g_Output = nullptr;
    std::fclose(recording);
    std::fclose(sink);
    std::filesystem::remove(path);
}
BENCHMARK(BM_Command);

}  // namespace

BENCHMARK_MAIN();
