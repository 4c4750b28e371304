// Whole-process benchmark: the tool against a minimal C floor, each timed from
// its start until the last line of its output has arrived on a pipe, then
// ended by its PID. Prints a table; it never fails on a slow machine.
// Usage: bench_run [--pairs N] [--max-files N] [--starts N]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/sample_recording.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Sample {
    double ms = 0;
    long maxRssKiB = 0;
    std::size_t bytes = 0;
};

// Starts exe in the current folder, reads its standard output until expected
// bytes have arrived (or, with expected 0, until it has been silent for
// 300 ms), then ends it by its PID and collects its peak memory.
// Starts words[0] with its standard output on a pipe and no input; gives
// its PID, the pipe's reading end and when it started.
pid_t Spawn(const std::vector<std::string>& words, int& output, Clock::time_point& start) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    start = Clock::now();
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    close(fds[1]);
    posix_spawn_file_actions_destroy(&actions);
    output = fds[0];
    return pid;
}

Sample RunOnce(const std::string& exe, std::size_t expected) {
    int output = -1;
    Clock::time_point start;
    const pid_t pid = Spawn({exe}, output, start);
    Sample sample;
    auto last = start;
    char chunk[65536];
    for (;;) {
        if (expected != 0 && sample.bytes >= expected) {
            break;
        }
        pollfd p{output, POLLIN, 0};
        const int ready = poll(&p, 1, expected != 0 ? 10000 : 300);
        if (ready <= 0) {
            break;  // silent: calibration is over (or the program hangs)
        }
        const ssize_t got = read(output, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        sample.bytes += static_cast<std::size_t>(got);
        last = Clock::now();
    }
    sample.ms = std::chrono::duration<double, std::milli>(last - start).count();
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    close(output);
    sample.maxRssKiB = usage.ru_maxrss;
    return sample;
}

// Writes a fresh copy and syncs it, like a recording that has long been on
// disk, so a timed sync pays only for what is written after it. Returns the
// copy open for update (the caller closes it), or -1.
int WriteSyncedCopy(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    kalimber::sample::WriteFileBytes(path, bytes);
    const int fd = open(path.c_str(), O_RDWR);
    if (fd >= 0) {
        fsync(fd);
    }
    return fd;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Paired {
    double tool = 0;
    double floor = 0;
    double ratio = 0;
    long toolRss = 0;
    long floorRss = 0;
    std::size_t toolBytes = 0;
    std::size_t floorBytes = 0;
};

// Alternates tool and floor run by run in the current folder.
Paired RunPairs(const std::string& tool, const std::string& floor, int pairs,
                const std::string& recording, const std::vector<std::uint8_t>* fresh) {
    auto refresh = [&] {
        if (fresh != nullptr) {
            close(WriteSyncedCopy(recording, *fresh));
        }
    };
    refresh();
    const std::size_t toolBytes = RunOnce(tool, 0).bytes;
    refresh();
    const std::size_t floorBytes = floor.empty() ? 0 : RunOnce(floor, 0).bytes;
    std::vector<double> toolMs, floorMs, ratios;
    std::vector<double> toolRss, floorRss;
    for (int i = 0; i < pairs; ++i) {
        refresh();
        const Sample a = RunOnce(tool, toolBytes);
        toolMs.push_back(a.ms);
        toolRss.push_back(static_cast<double>(a.maxRssKiB));
        if (!floor.empty()) {
            const Sample b = RunOnce(floor, floorBytes);
            floorMs.push_back(b.ms);
            floorRss.push_back(static_cast<double>(b.maxRssKiB));
            ratios.push_back(a.ms / b.ms);
        }
    }
    return {Median(toolMs), Median(floorMs), Median(ratios),
            static_cast<long>(Median(toolRss)), static_cast<long>(Median(floorRss)),
            toolBytes, floorBytes};
}

std::string MachineLine() {
    utsname u{};
    uname(&u);
    std::string cpu = "unknown CPU";
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("model name", 0) == 0) {
            cpu = line.substr(line.find(':') + 2);
            break;
        }
    }
    return std::string(u.sysname) + " " + u.release + " " + u.machine + ", " + cpu + ", " +
           std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
}

// The largest of the wanted size the file system takes (ext4 stops 4 KiB short of 16 TiB).
std::int64_t MakeSparse(const std::string& path, std::int64_t size) {
    using namespace kalimber;
    const RecordingHeader header = sample::MakeHeader(0);
    sample::WriteFileBytes(path, std::vector<std::uint8_t>(HeaderBytes(header), HeaderBytes(header) + HeaderSize));
    for (std::int64_t trySize : {size, size - 4096}) {
        if (truncate(path.c_str(), static_cast<off_t>(trySize)) == 0) {
            return trySize;
        }
    }
    return -1;
}

std::string SizeName(std::int64_t size) {
    char text[64];
    if (size >= (1LL << 40)) {
        std::snprintf(text, sizeof text, "%.0f TiB%s", static_cast<double>(size) / (1LL << 40),
                      size % (1LL << 40) != 0 ? " - 4 KiB" : "");
    } else if (size >= (1LL << 30)) {
        std::snprintf(text, sizeof text, "%lld GiB", static_cast<long long>(size >> 30));
    } else {
        std::snprintf(text, sizeof text, "%lld MiB", static_cast<long long>(size >> 20));
    }
    return text;
}

// The file system that holds folder: the sync's cost depends on it (tmpfs has no device).
std::string FileSystemName(const std::string& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) {
        return "unknown";
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0xEF53:
            return "ext4";
        case 0x01021994:
            return "tmpfs (no device: the sync costs nothing here)";
        case 0x58465342:
            return "xfs";
        case 0x9123683E:
            return "btrfs";
        case 0x794C7630:
            return "overlayfs";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "type 0x%lx", static_cast<unsigned long>(info.f_type));
            return text;
        }
    }
}

// What the sync after the commands costs on its own, in the same steps as the
// run above: a fresh copy synced first (untimed), the two 172-byte AUXI
// writes at offset 36, then the timed fsync. The median of the fsync times.
double SyncMs(const std::string& path, const std::vector<std::uint8_t>& fresh, int repeats) {
    std::vector<double> times;
    char auxi[172] = {};
    for (int i = 0; i < repeats; ++i) {
        const int fd = WriteSyncedCopy(path, fresh);
        if (fd < 0) {
            break;
        }
        const bool wrote = pwrite(fd, auxi, sizeof auxi, 36) == static_cast<ssize_t>(sizeof auxi) &&
                           pwrite(fd, auxi, sizeof auxi, 36) == static_cast<ssize_t>(sizeof auxi);
        const auto start = Clock::now();
        fsync(fd);
        const auto end = Clock::now();
        close(fd);
        if (wrote) {
            times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
    }
    return Median(times);
}

}  // namespace

// Runs a command that exits by itself, its output drained from a pipe, and
// gives its wall time and peak memory.
Sample RunToExit(const std::vector<std::string>& words) {
    int output = -1;
    Clock::time_point start;
    const pid_t pid = Spawn(words, output, start);
    Sample sample;
    char chunk[65536];
    for (ssize_t got; (got = read(output, chunk, sizeof chunk)) > 0;) {
        sample.bytes += static_cast<std::size_t>(got);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    sample.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    close(output);
    sample.maxRssKiB = usage.ru_maxrss;
    return sample;
}

// The command line on folders of sparse recordings: kalimber --csv DIR
// against the C floor (the same bytes, in the same order), the cost per file,
// the peak memory and the text report by count; and
// --chain --json DIR (chains of ten files, one after the other in time)
// and --svg DIR against --json DIR.
void CommandLineRows(const std::string& tool, int pairs, int maxFiles, int starts) {
    std::printf("\n%-26s %12s %12s %14s %12s %12s %12s %12s\n", "kalimber --csv DIR", "tool ms", "floor ms",
                "tool/floor", "us per file", "max RSS KiB", "text ms", "text/csv");
    const std::string floor = fs::absolute(KALIMBER_CSV_FLOOR).string();
    kalimber::RecordingHeader header = kalimber::sample::MakeHeader(0);
    double perFileAtFirst = 0;
    long rssAtFirst = 0;
    int countAtFirst = 0;
    double ratioAt20k = 0;
    double chainRatioAt20k = 0;
    double textRatioAt20k = 0;
    bool sameBytes = true;  // the floor wrote what the tool wrote
    long rssAt20k = 0;
    double perFileLast = 0;
    long rssLast = 0;
    int made = 0;
    fs::create_directory("many");
    struct ChainRow {
        int count;
        double jsonMs, chainMs, svgMs;
        long jsonRss, chainRss;
        std::size_t svgBytes;
    };
    std::vector<ChainRow> chainRows;
    const auto first = kalimber::sample::SampleStart();
    for (const int count : {2000, 10000, 20000, 100000}) {
        if (count > maxFiles) {
            break;
        }
        for (; made < count; ++made) {
            char name[32];
            std::snprintf(name, sizeof name, "many/r%06d.wav", made);
            char next[32] = "";
            if (made % 10 != 9) {
                std::snprintf(next, sizeof next, "r%06d.wav", made + 1);
            }
            kalimber::sample::SetText(header.Auxi.NextFileName, sizeof header.Auxi.NextFileName, next);
            kalimber::sample::SetTime(header.Auxi.StartTime, first + std::chrono::seconds{made});
            kalimber::sample::SetTime(header.Auxi.StopTime, first + std::chrono::seconds{made + 1});
            const auto* bytes = kalimber::HeaderBytes(header);
            kalimber::sample::WriteFileBytes(name, std::vector<std::uint8_t>(bytes, bytes + kalimber::HeaderSize));
            truncate(name, 1 << 20);  // sparse: 1 MiB of silence
        }
        std::vector<double> toolMs, floorMs, ratios, toolRss, jsonMs, chainMs, jsonRss, chainRss, svgMs, textMs;
        std::size_t svgBytes = 0;
        const int runs = std::max(1, count >= 100000 ? pairs / 10 : pairs / 3);
        for (int i = 0; i < runs; ++i) {
            const Sample a = RunToExit({tool, "--csv", "many"});
            const Sample b = RunToExit({floor, "many"});
            toolMs.push_back(a.ms);
            floorMs.push_back(b.ms);
            ratios.push_back(a.ms / b.ms);
            sameBytes = sameBytes && a.bytes == b.bytes;
            textMs.push_back(RunToExit({tool, "many"}).ms);
            toolRss.push_back(static_cast<double>(a.maxRssKiB));
            const Sample json = RunToExit({tool, "--json", "many"});
            const Sample chain = RunToExit({tool, "--chain", "--json", "many"});
            jsonMs.push_back(json.ms);
            chainMs.push_back(chain.ms);
            jsonRss.push_back(static_cast<double>(json.maxRssKiB));
            chainRss.push_back(static_cast<double>(chain.maxRssKiB));
            const Sample svg = RunToExit({tool, "--svg", "many"});
            svgMs.push_back(svg.ms);
            svgBytes = svg.bytes;
        }
        const double perFile = Median(toolMs) * 1000.0 / count;
        const long rss = static_cast<long>(Median(toolRss));
        const std::string label = std::to_string(count) + " files";
        std::printf("%-26s %12.1f %12.1f %14.3f %12.2f %12ld %12.1f %12.3f\n", label.c_str(), Median(toolMs),
                    Median(floorMs), Median(ratios), perFile, rss, Median(textMs), Median(textMs) / Median(toolMs));
        chainRows.push_back({count, Median(jsonMs), Median(chainMs), Median(svgMs), static_cast<long>(Median(jsonRss)),
                             static_cast<long>(Median(chainRss)), svgBytes});
        if (count == 2000) {
            perFileAtFirst = perFile;
            rssAtFirst = rss;
            countAtFirst = count;
        }
        if (count == 20000) {
            ratioAt20k = Median(ratios);
            chainRatioAt20k = Median(chainMs) / Median(jsonMs);
            textRatioAt20k = Median(textMs) / Median(toolMs);
            rssAt20k = rss;
        }
        perFileLast = perFile;
        rssLast = rss;
    }
    std::printf("\n%-26s %12s %12s %14s %12s %12s %12s %12s %12s\n", "--chain --json, --svg DIR", "json ms",
                "chain ms", "chain/json", "json RSS KiB", "chain RSS KiB", "svg ms", "svg/json", "svg bytes");
    for (const ChainRow& row : chainRows) {
        std::printf("%-26s %12.1f %12.1f %14.3f %12ld %12ld %12.1f %12.3f %12zu\n",
                    (std::to_string(row.count) + " files").c_str(), row.jsonMs, row.chainMs, row.chainMs / row.jsonMs,
                    row.jsonRss, row.chainRss, row.svgMs, row.svgMs / row.jsonMs, row.svgBytes);
    }
    fs::remove_all("many");
    // The ToDoWave.txt run, started again and again, for the comparison.
    std::ofstream("ToDoWave.txt") << "r.wav\n";
    MakeSparse("r.wav", 1LL << 20);
    const std::size_t expected = RunOnce(tool, 0).bytes;
    const auto start = Clock::now();
    for (int i = 0; i < starts; ++i) {
        RunOnce(tool, expected);
    }
    const double startsMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    fs::remove("r.wav");
    std::printf("%-26s %12.1f %12s %14s %12.2f\n", (std::to_string(starts) + " no-argument runs").c_str(),
                startsMs, "-", "-", startsMs * 1000.0 / std::max(1, starts));
    const double growth = perFileAtFirst > 0 ? perFileLast / perFileAtFirst : 0;
    // The memory a file adds: the peak at 20000 files above the one at 2000.
    const double bytesPerFile =
        rssAt20k > 0 && countAtFirst > 0 ? static_cast<double>(rssAt20k - rssAtFirst) * 1024.0 / (20000 - countAtFirst) : 0;
    if (!sameBytes) {
        std::printf("the CSV floor's output differs in size from the tool's: its figures are not comparable\n");
    }
    std::printf("\ncommand-line targets: --csv tool/floor at 20000 files %.3f (<= 1.3) %s; --chain --json / --json "
                "at 20000 files %.3f (<= 1.5) %s; text / --csv at 20000 files %.3f (<= 2) %s; max RSS above 2000 "
                "files %.0f bytes a file (<= 250) %s; cost per "
                "file, most files / 2000 files %.3f; max RSS, most files / 2000 files %.3f\n",
                ratioAt20k, ratioAt20k > 0 && ratioAt20k <= 1.3 ? "met" : "missed", chainRatioAt20k,
                chainRatioAt20k > 0 && chainRatioAt20k <= 1.5 ? "met" : "missed", textRatioAt20k,
                textRatioAt20k > 0 && textRatioAt20k <= 2 ? "met" : "missed", bytesPerFile,
                rssAt20k > 0 && bytesPerFile <= 250 ? "met" : "missed", growth,
                rssAtFirst > 0 ? static_cast<double>(rssLast) / rssAtFirst : 0);
}

// A patch of 2000 small recordings with and without --log, each run
// writing every file (the centre frequency alternates), the two in turn.
void PatchLogRows(const std::string& tool, int pairs) {
    fs::create_directory("patch");
    const kalimber::RecordingHeader header = kalimber::sample::MakeHeader(0);
    const auto* bytes = kalimber::HeaderBytes(header);
    for (int i = 0; i < 2000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "patch/p%04d.wav", i);
        kalimber::sample::WriteFileBytes(name, std::vector<std::uint8_t>(bytes, bytes + kalimber::HeaderSize));
    }
    std::vector<double> plain, logged, ratios;
    const int runs = std::max(3, pairs / 3);
    for (int i = 0; i < runs; ++i) {
        const Sample a = RunToExit({tool, "-q", "--cf", "7050000", "patch"});
        const Sample b = RunToExit({tool, "-q", "--cf", "7100000", "--log", "patch.log", "patch"});
        plain.push_back(a.ms);
        logged.push_back(b.ms);
        ratios.push_back(b.ms / a.ms);
    }
    fs::remove_all("patch");
    fs::remove("patch.log");
    const double ratio = Median(ratios);
    std::printf("\n%-26s %12s %12s %14s\n", "patch 2000 files", "plain ms", "--log ms", "log/plain");
    std::printf("%-26s %12.1f %12.1f %14.3f\n", "--cf, every file written", Median(plain), Median(logged), ratio);
    std::printf("\nwrite-log target: --log / plain at 2000 files %.3f (<= 1.5) %s\n", ratio,
                ratio <= 1.5 ? "met" : "missed");
}

int main(int argc, char** argv) {
    int pairs = 60;
    int maxFiles = 100000;
    int starts = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pairs") == 0 && i + 1 < argc) {
            pairs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--max-files") == 0 && i + 1 < argc) {
            maxFiles = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--starts") == 0 && i + 1 < argc) {
            starts = std::max(0, std::atoi(argv[++i]));
        }
    }
    const std::string tool = fs::absolute(KALIMBER_TOOL).string();
    const std::string floor = fs::absolute(KALIMBER_FLOOR).string();
    // Beside the program, in the build folder: on the machine's disk, which
    // the temporary folder need not be.
    const fs::path home = fs::absolute(argv[0]).parent_path();
    std::string folder = (home / "kalimber-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::current_path(folder);
    std::ofstream("ToDoWave.txt") << "r.wav\n";

    std::printf("kalimber benchmark, %d pairs (tool and floor alternating)\n", pairs);
    std::printf("machine: %s\n", MachineLine().c_str());
    std::printf("recordings on: %s\n\n", FileSystemName(folder).c_str());
    std::printf("%-26s %12s %12s %14s %14s\n", "time to the full report", "tool ms", "floor ms",
                "tool/floor", "output bytes");

    const std::int64_t sizes[] = {1LL << 20, 1LL << 30, 20LL << 30, 16LL << 40};
    double toolAt1MiB = 0;
    Paired first{};
    std::vector<std::pair<std::string, double>> growth;
    for (std::int64_t wanted : sizes) {
        const std::int64_t size = MakeSparse("r.wav", wanted);
        if (size < 0) {
            std::printf("%-26s %12s\n", SizeName(wanted).c_str(), "(file system refused)");
            continue;
        }
        const Paired p = RunPairs(tool, floor, pairs, "r.wav", nullptr);
        const std::string label = "report, " + SizeName(size);
        std::printf("%-26s %12.3f %12.3f %14.3f %8zu/%zu\n", label.c_str(), p.tool, p.floor, p.ratio,
                    p.toolBytes, p.floorBytes);
        if (wanted == (1LL << 20)) {
            toolAt1MiB = p.tool;
            first = p;
        } else {
            growth.emplace_back(SizeName(size), p.tool / toolAt1MiB);
        }
    }
    // The shipped Linux binary is fully static: against a static floor.
    MakeSparse("r.wav", 1LL << 20);
    const Paired statics = RunPairs(fs::absolute(KALIMBER_TOOL_STATIC).string(),
                                    fs::absolute(KALIMBER_FLOOR_STATIC).string(), pairs, "r.wav",
                                    nullptr);
    std::printf("%-26s %12.3f %12.3f %14.3f %8zu/%zu\n", "report, 1 MiB, static", statics.tool,
                statics.floor, statics.ratio, statics.toolBytes, statics.floorBytes);
    fs::remove("r.wav");

    // Commands: a fresh 1 MiB copy before every run, timed to the end of NEW
    // HEADER; the run includes the sync before the read-back.
    using namespace kalimber::sample;
    const auto recording = MakeRecording(MakeHeader((1u << 20) - 316), MakeSamples((1u << 20) - 316));
    std::ofstream("ToDoWave.txt") << "r.wav\nWCF 7050000\nWBW 0x2EE00\n";
    const Paired commands = RunPairs(tool, "", pairs, "r.wav", &recording);
    std::printf("%-26s %12.3f %12s %14s %8zu\n", "WCF + WBW, 1 MiB copy", commands.tool, "-", "-",
                commands.toolBytes);
    std::printf("%-26s %12.3f\n", "  of which the sync", SyncMs("r.wav", recording, pairs));

    std::printf("\n%-26s %12s\n", "cost as recordings grow", "tool/1 MiB");
    for (const auto& [name, ratio] : growth) {
        std::printf("%-26s %12.3f\n", name.c_str(), ratio);
    }
    std::printf("\n%-26s %12s %12s %14s\n", "peak memory (max RSS)", "tool KiB", "floor KiB",
                "tool/floor");
    std::printf("%-26s %12ld %12ld %14.3f\n", "report, 1 MiB", first.toolRss, first.floorRss,
                first.floorRss > 0 ? static_cast<double>(first.toolRss) / first.floorRss : 0.0);

    const double worstGrowth = growth.empty() ? 0 : std::max_element(growth.begin(), growth.end(),
        [](const auto& a, const auto& b) { return a.second < b.second; })->second;
    const double rss = first.floorRss > 0 ? static_cast<double>(first.toolRss) / first.floorRss : 0;
    std::printf("\ntargets: time %.3f (<= 1.15) %s; largest growth ratio %.3f (<= 1.10) %s; memory %.3f (<= 1.5) %s\n",
                first.ratio, first.ratio <= 1.15 ? "met" : "missed", worstGrowth,
                worstGrowth <= 1.10 ? "met" : "missed", rss, rss <= 1.5 ? "met" : "missed");
    CommandLineRows(tool, pairs, maxFiles, starts);
    PatchLogRows(tool, pairs);
    fs::current_path(home);
    fs::remove_all(folder);
    return 0;
}
