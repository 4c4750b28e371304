// The fuzz targets' scratch folder, memory sink and invariant checks.
// Linux only, like the fuzzing itself.
#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "header/print.h"
#include "tests/expected_text.h"
#include "tools/sample_recording.h"

namespace kalimber::fuzz {

void EnterScratchFolder() {
    static bool entered = false;
    if (entered) {
        return;
    }
    char pattern[] = "/dev/shm/kalimber-fuzz-XXXXXX";
    char fallback[] = "/tmp/kalimber-fuzz-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr) {
        folder = mkdtemp(fallback);
    }
    Require(folder != nullptr && chdir(folder) == 0, "scratch folder");
    entered = true;
}

void WriteWhole(const char* path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path, "wb");
    Require(file != nullptr, "open for writing");
    Require(size == 0 || std::fwrite(data, 1, size, file) == size, "write");
    Require(std::fclose(file) == 0, "close");
}

std::vector<std::uint8_t> ReadWhole(const char* path) {
    std::vector<std::uint8_t> bytes;
    Require(sample::ReadFileBytes(path, bytes), "read back");
    return bytes;
}

bool EndsWithReportEnd(const std::string& text) {
    if (test::EndsWith(text, "---Additional Information---\nThis is not an ORVA .wav file!!!\n") ||
        test::EndsWith(text, "---Additional Information---\nThis is not a supported ORVA .wav file!!!\n")) {
        return true;
    }
    // "   WavFileDurationMillisec: <digits>\n" right after the section head,
    // or after the head of a section that carries on with no new duration.
    const std::string label = "\n   WavFileDurationMillisec: ";
    const std::size_t at = text.rfind(label);
    if (at == std::string::npos || text.empty() || text.back() != '\n') {
        return false;
    }
    const std::string digits = text.substr(at + label.size(), text.size() - 1 - at - label.size());
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    return test::EndsWith(text.substr(0, at + 1), "---Additional Information---\n");
}

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool HoldsAuxiChunk(const std::vector<std::uint8_t>& file) {
    return file.size() >= 208 && std::memcmp(file.data() + 36, "auxi", 4) == 0;
}

void RequireOnlyAuxiChanged(const std::vector<std::uint8_t>& before,
                            const std::vector<std::uint8_t>& after) {
    Require(after.size() == before.size(), "the file kept its size");
    const bool holdsAuxi = HoldsAuxiChunk(before);
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (holdsAuxi && i >= 36 && i < 208) {
            continue;
        }
        Require(after[i] == before[i], holdsAuxi ? "no byte outside 36 to 207 changed"
                                                 : "a file without an AUXI chunk was not written");
    }
}

}  // namespace kalimber::fuzz
