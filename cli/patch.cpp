// Each file opened once, refused without an AUXI chunk, written with the one
// 172-byte AUXI write (undone where it falls short), synced, read back, closed.
#include "cli/patch.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"

namespace kalimber {
namespace {

PatchValues StoredValues(const RecordingHeader& header) {
    return {header.Auxi.CenterFreq.Get(), header.Auxi.Bandwidth.Get()};
}

void SetValues(RecordingHeader& header, const PatchValues& values) {
    header.Auxi.CenterFreq.Set(values.CenterFreq);
    header.Auxi.Bandwidth.Set(values.Bandwidth);
}

std::string SystemReason() {
    return errno != 0 ? std::strerror(errno) : "the system gave no reason";
}

// The two values as the file holds them now, read afresh; false (with the
// reason) where they cannot be read.
bool ReadBack(std::FILE* recording, PatchValues& values, std::string& reason) {
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
    std::optional<PatchValues> Held;
};

// Writes the new values and checks them as read back. A write that fails or
// falls short is undone: the old chunk is written back and synced, and the
// header read back tells what the file now holds.
Written WriteValues(std::FILE* recording, const RecordingHeader& loaded, const PatchValues& after) {
    RecordingHeader header = loaded;
    SetValues(header, after);
    errno = 0;
    if (!StoreAuxiChunk(recording, header) || std::fflush(recording) != 0) {
        std::string error = SystemReason();
        StoreAuxiChunk(recording, loaded);
        g_Platform.SyncFile(recording);
        PatchValues held{};
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
    PatchValues held{};
    std::string reason;
    if (!ReadBack(recording, held, reason) || !(held == after)) {
        return {"the header read back does not hold the new values", after};
    }
    return {"", after};
}

}  // namespace

bool Unopened(const PatchOutcome& outcome) {
    return outcome.Result == PatchResult::Failed && !outcome.Before;
}

void Count(PatchTally& tally, PatchResult result) {
    switch (result) {
        case PatchResult::Patched:
        case PatchResult::WouldPatch:
            ++tally.Patched;
            break;
        case PatchResult::Unchanged:
            ++tally.Unchanged;
            break;
        case PatchResult::Refused:
            ++tally.Refused;
            break;
        case PatchResult::Failed:
            ++tally.Failed;
            break;
    }
}

PatchedFile PatchFile(const FoundPath& found, const CommandLineOptions& options) {
    PatchedFile patched;
    PatchOutcome& outcome = patched.Outcome;
    outcome.Text = found.Text;
    outcome.CenterFreqAsked = options.CenterFreq.has_value();
    outcome.BandwidthAsked = options.Bandwidth.has_value();
    std::string error = found.Error;
    // Never created, never truncated; read-only for a dry run. Unbuffered: a
    // write that fails leaves nothing behind for the close to retry.
    OpenedFile opened;
    std::FILE* recording = error.empty() ? OpenRecording(found.Path, !options.DryRun, error, &opened) : nullptr;
    if (recording == nullptr) {
        patched.Now.Path = found.Path;
        patched.Now.Text = found.Text;
        patched.Now.Error = error;
        outcome.Error = error;
        return patched;
    }
    patched.Now = ReadRecording(found, recording, opened);
    FileTime modified;
    errno = 0;
    const bool keepTime = options.PreserveMtime && !options.DryRun;
    if (keepTime && !GetModificationTime(recording, modified)) {
        outcome.Error = "the modification time could not be read: " + SystemReason();
        std::fclose(recording);
        return patched;
    }
    static constexpr const ChunkRow& kAuxi = ChunkTable[static_cast<std::size_t>(ChunkKind::Auxi)];
    const PatchValues before = StoredValues(patched.Now.Header);
    PatchValues wanted{options.CenterFreq.value_or(before.CenterFreq), options.Bandwidth.value_or(before.Bandwidth)};
    std::optional<PatchValues> after = wanted;
    PatchResult result = PatchResult::Refused;
    if (!HoldsChunk(patched.Now, kAuxi)) {
        error = "no AUXI chunk in this file";
    } else if (wanted == before) {
        result = PatchResult::Unchanged;
    } else if (options.DryRun) {
        result = PatchResult::WouldPatch;
    } else {
        const Written written = WriteValues(recording, patched.Now.Header, wanted);
        error = written.Error;
        after = written.Held;
        result = error.empty() ? PatchResult::Patched : PatchResult::Failed;
        if (written.Held) {
            SetValues(patched.Now.Header, *written.Held);  // the recording as the file now holds it
        }
        errno = 0;
        if (keepTime && !SetModificationTime(recording, modified) && error.empty()) {
            error = "the modification time could not be kept: " + SystemReason();
            result = PatchResult::Failed;
        }
    }
    if (std::fclose(recording) != 0 && result == PatchResult::Patched) {
        error = SystemReason();
        result = PatchResult::Failed;
    }
    outcome.Result = result;
    outcome.Error = error;
    if (result != PatchResult::Refused) {
        outcome.Before = before;
        outcome.After = after;
    }
    return patched;
}

void PrintPatchSummary(const PatchTally& tally, bool dryRun) {
    PrintError("%d %s, %d unchanged, %d refused, %d failed\n", tally.Patched,
               dryRun ? "would be patched" : "patched", tally.Unchanged, tally.Refused, tally.Failed);
}

}  // namespace kalimber
