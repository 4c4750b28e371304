// Each file is opened, loaded, refused unless it holds an AUXI chunk, written
// with the one 172-byte AUXI write, synced and read back, then closed.
#include "cli/patch.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/writers.h"
#include "header/additional_information.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"

namespace kalimber {
namespace {

using Json = nlohmann::ordered_json;

enum class Result { Patched, WouldPatch, Unchanged, Refused, Failed };

struct Values {
    std::uint32_t CenterFreq;
    std::uint32_t Bandwidth;
    bool operator==(const Values&) const = default;
};

Values StoredValues() {
    return {g_RecordingHeader.Auxi.CenterFreq.Get(), g_RecordingHeader.Auxi.Bandwidth.Get()};
}

std::string SystemReason() {
    return errno != 0 ? std::strerror(errno) : "the system gave no reason";
}

// Writes the new values and checks them as read back; empty, or why not.
std::string WriteValues(std::FILE* recording, const Values& after) {
    g_RecordingHeader.Auxi.CenterFreq.Set(after.CenterFreq);
    g_RecordingHeader.Auxi.Bandwidth.Set(after.Bandwidth);
    errno = 0;
    if (!StoreAuxiChunk(recording) || std::fflush(recording) != 0) {
        return SystemReason();
    }
    errno = 0;
    if (!g_Platform.SyncFile(recording)) {
        return "sync: " + SystemReason();
    }
    // What a failed read leaves in the image can never pass for the new values.
    g_RecordingHeader.Auxi.CenterFreq.Set(~after.CenterFreq);
    g_RecordingHeader.Auxi.Bandwidth.Set(~after.Bandwidth);
    LoadHeader(recording);
    if (!(StoredValues() == after)) {
        return "the header read back does not hold the new values";
    }
    return "";
}

std::string Changes(const Values& before, const Values& after, const CommandLineOptions& options) {
    std::string text;
    if (options.CenterFreq) {
        text += "CenterFreq " + std::to_string(before.CenterFreq) + " -> " + std::to_string(after.CenterFreq);
    }
    if (options.Bandwidth) {
        if (!text.empty()) {
            text += ", ";
        }
        text += "Bandwidth " + std::to_string(before.Bandwidth) + " -> " + std::to_string(after.Bandwidth);
    }
    return text;
}

void Tell(const FoundPath& found, const CommandLineOptions& options, Result result, const Values* before,
          const Values& after, const std::string& error) {
    if (options.Format == OutputFormat::Json) {
        auto values = [](const Values* v) {
            return v == nullptr ? Json() : Json{{"CenterFreq", v->CenterFreq}, {"Bandwidth", v->Bandwidth}};
        };
        static constexpr const char* kNames[] = {"patched", "would-patch", "unchanged", "refused", "failed"};
        const Json line{{"path", found.Text},
                        {"result", kNames[static_cast<int>(result)]},
                        {"before", values(before)},
                        {"after", values(before == nullptr ? nullptr : &after)},
                        {"error", error.empty() ? Json() : Json(error)}};
        WriteOutput(line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
        return;
    }
    if (options.Quiet) {
        return;
    }
    const char* path = found.Text.c_str();
    switch (result) {
        case Result::Patched:
            Print("%s: %s\n", path, Changes(*before, after, options).c_str());
            break;
        case Result::WouldPatch:
            Print("would patch %s: %s\n", path, Changes(*before, after, options).c_str());
            break;
        case Result::Unchanged:
            Print("%s: unchanged\n", path);
            break;
        case Result::Refused:
            Print("%s: not written: %s\n", path, error.c_str());
            break;
        case Result::Failed:
            if (before == nullptr) {
                PrintError("kalimber: %s: %s\n", path, error.c_str());  // as the report mode says it
            } else {
                Print("%s: write failed: %s\n", path, error.c_str());
            }
            break;
    }
}

}  // namespace

void PatchRecording(const FoundPath& found, const CommandLineOptions& options, PatchTally& tally) {
    ResetRecordingState();
    const Values none{};
    std::string error = found.Error;
    std::FILE* recording = nullptr;
    if (error.empty()) {
        errno = 0;
        // Never created, never truncated; read-only for a dry run.
        recording = OpenPath(found.Path, options.DryRun ? "rb" : "rb+");
        if (recording == nullptr) {
            error = SystemReason();
        }
    }
    if (recording == nullptr) {
        ++tally.Failed;
        Tell(found, options, Result::Failed, nullptr, none, error);
        return;
    }
    // Unbuffered: a write that fails leaves nothing behind for the close to retry.
    std::setvbuf(recording, nullptr, _IONBF, 0);
    LoadHeader(recording);
    Result result = Result::Refused;
    const Values before = StoredValues();
    const Values after{options.CenterFreq.value_or(before.CenterFreq),
                       options.Bandwidth.value_or(before.Bandwidth)};
    if (!HoldsAuxiChunk(recording)) {
        error = "no AUXI chunk in this file";
    } else if (after == before) {
        result = Result::Unchanged;
    } else if (options.DryRun) {
        result = Result::WouldPatch;
    } else {
        error = WriteValues(recording, after);
        result = error.empty() ? Result::Patched : Result::Failed;
    }
    if (std::fclose(recording) != 0 && result == Result::Patched) {
        error = SystemReason();
        result = Result::Failed;
    }
    switch (result) {
        case Result::Patched:
        case Result::WouldPatch:
            ++tally.Patched;
            break;
        case Result::Unchanged:
            ++tally.Unchanged;
            break;
        case Result::Refused:
            ++tally.Refused;
            break;
        case Result::Failed:
            ++tally.Failed;
            break;
    }
    Tell(found, options, result, result == Result::Refused ? nullptr : &before, after, error);
}

void PrintPatchSummary(const PatchTally& tally, bool dryRun) {
    PrintError("%d %s, %d unchanged, %d refused, %d failed\n", tally.Patched,
               dryRun ? "would be patched" : "patched", tally.Unchanged, tally.Refused, tally.Failed);
}

}  // namespace kalimber
