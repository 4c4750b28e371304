// Each file is opened, loaded, refused unless it holds an AUXI chunk, written
// with the one 172-byte AUXI write (undone where it falls short), synced and
// read back, then closed.
#include "cli/patch.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/progress.h"
#include "cli/writers.h"
#include "header/additional_information.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/unicode.h"

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

// The two values as the file holds them now, read afresh; false (with the
// reason) where they cannot be read.
bool ReadBack(std::FILE* recording, Values& values, std::string& reason) {
    std::uint8_t chunk[AuxiSpan.Length];
    errno = 0;
    if (!SeekFile(recording, static_cast<std::int64_t>(AuxiSpan.Offset), SEEK_SET) ||
        std::fread(chunk, 1, sizeof chunk, recording) != sizeof chunk) {
        reason = SystemReason();
        return false;
    }
    AuxiChunk auxi;
    std::memcpy(&auxi, chunk, sizeof auxi);
    values = {auxi.CenterFreq.Get(), auxi.Bandwidth.Get()};
    return true;
}

// What a write to the file came to: empty, or why it failed; held is what the
// file holds afterwards where that could be read back.
struct Written {
    std::string Error;
    std::optional<Values> Held;
};

// Writes the new values and checks them as read back. A write that fails or
// falls short is undone: the old chunk is written back and synced, and the
// header read back tells what the file now holds.
Written WriteValues(std::FILE* recording, const Values& before, const Values& after) {
    g_RecordingHeader.Auxi.CenterFreq.Set(after.CenterFreq);
    g_RecordingHeader.Auxi.Bandwidth.Set(after.Bandwidth);
    errno = 0;
    if (!StoreAuxiChunk(recording) || std::fflush(recording) != 0) {
        std::string error = SystemReason();
        g_RecordingHeader.Auxi.CenterFreq.Set(before.CenterFreq);
        g_RecordingHeader.Auxi.Bandwidth.Set(before.Bandwidth);
        StoreAuxiChunk(recording);
        g_Platform.SyncFile(recording);
        Values held{};
        std::string reason;
        if (!ReadBack(recording, held, reason)) {
            return {error + "; the file could not be read back: " + reason, std::nullopt};
        }
        error += "; the file holds CenterFreq " + std::to_string(held.CenterFreq) + ", Bandwidth " +
                 std::to_string(held.Bandwidth);
        return {error, held};
    }
    errno = 0;
    if (!g_Platform.SyncFile(recording)) {
        return {"sync: " + SystemReason(), after};
    }
    Values held{};
    std::string reason;
    if (!ReadBack(recording, held, reason) || !(held == after)) {
        return {"the header read back does not hold the new values", after};
    }
    return {"", after};
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
          const std::optional<Values>& after, const std::string& error) {
    const std::string shown = EscapeControls(found.Text);
    const char* path = shown.c_str();
    // A path that cannot be opened is told on standard error in every form;
    // under -q, so is a refused or failed patch, whose line is not written.
    const bool unopened = result == Result::Failed && before == nullptr;
    if (unopened) {
        TellError("kalimber: " + shown + ": " + error + "\n");  // as the report mode says it
    } else if (options.Quiet && result == Result::Refused) {
        TellError("kalimber: " + shown + ": not written: " + error + "\n");
    } else if (options.Quiet && result == Result::Failed) {
        TellError("kalimber: " + shown + ": write failed: " + error + "\n");
    }
    if (options.Quiet) {
        return;
    }
    if (options.Format == OutputFormat::Json) {
        auto values = [](const Values* v) {
            return v == nullptr ? Json() : Json{{"CenterFreq", v->CenterFreq}, {"Bandwidth", v->Bandwidth}};
        };
        static constexpr const char* kNames[] = {"patched", "would-patch", "unchanged", "refused", "failed"};
        const Json line{{"type", "patch"},
                        {"path", found.Text},
                        {"result", kNames[static_cast<int>(result)]},
                        {"before", values(before)},
                        {"after", values(before == nullptr || !after ? nullptr : &*after)},
                        {"error", error.empty() ? Json() : Json(error)}};
        WriteOutput(line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
        return;
    }
    switch (result) {
        case Result::Patched:
            Print("%s: %s\n", path, Changes(*before, *after, options).c_str());
            break;
        case Result::WouldPatch:
            Print("would patch %s: %s\n", path, Changes(*before, *after, options).c_str());
            break;
        case Result::Unchanged:
            Print("%s: unchanged\n", path);
            break;
        case Result::Refused:
            Print("%s: not written: %s\n", path, error.c_str());
            break;
        case Result::Failed:
            if (!unopened) {
                Print("%s: write failed: %s\n", path, error.c_str());
            }
            break;
    }
}

}  // namespace

void PatchRecording(const FoundPath& found, const CommandLineOptions& options, PatchTally& tally) {
    ResetRecordingState();
    std::string error = found.Error;
    // Never created, never truncated; read-only for a dry run. Unbuffered: a
    // write that fails leaves nothing behind for the close to retry.
    std::FILE* recording = error.empty() ? OpenRecording(found.Path, !options.DryRun, error) : nullptr;
    if (recording == nullptr) {
        ++tally.Failed;
        Tell(found, options, Result::Failed, nullptr, std::nullopt, error);
        return;
    }
    LoadHeader(recording);
    FileTime modified;
    errno = 0;
    const bool keepTime = options.PreserveMtime && !options.DryRun;
    if (keepTime && !GetModificationTime(recording, modified)) {
        error = "the modification time could not be read: " + SystemReason();
        std::fclose(recording);
        ++tally.Failed;
        Tell(found, options, Result::Failed, nullptr, std::nullopt, error);
        return;
    }
    Result result = Result::Refused;
    const Values before = StoredValues();
    std::optional<Values> after = Values{options.CenterFreq.value_or(before.CenterFreq),
                                         options.Bandwidth.value_or(before.Bandwidth)};
    if (!HoldsAuxiChunk(recording)) {
        error = "no AUXI chunk in this file";
    } else if (*after == before) {
        result = Result::Unchanged;
    } else if (options.DryRun) {
        result = Result::WouldPatch;
    } else {
        const Written written = WriteValues(recording, before, *after);
        error = written.Error;
        after = written.Held;
        result = error.empty() ? Result::Patched : Result::Failed;
        errno = 0;
        if (keepTime && !SetModificationTime(recording, modified) && error.empty()) {
            error = "the modification time could not be kept: " + SystemReason();
            result = Result::Failed;
        }
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
