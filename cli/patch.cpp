// Each file opened once, its repair worked out, the changed fields written
// one write per run of adjacent bytes (undone where one falls short),
// synced, read back, closed.
#include "cli/patch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "cli/field_values.h"
#include "cli/write_log.h"
#include "header/print.h"
#include "header/recording_header.h"
#include "platform/platform.h"
#include "platform/write_guard.h"

namespace kalimber {
namespace {

// The fields whose bytes change, as runs of adjacent bytes.
std::vector<ByteRun> ChangedRuns(const RecordingHeader& before, const RecordingHeader& after,
                                 const std::vector<const FieldRow*>& fields) {
    std::vector<ByteRun> runs;
    for (const FieldRow* row : fields) {
        if (std::memcmp(HeaderBytes(before) + row->Offset, HeaderBytes(after) + row->Offset, row->Width) == 0) {
            continue;
        }
        if (!runs.empty() && runs.back().Offset + runs.back().Length == row->Offset) {
            runs.back().Length += row->Width;
        } else {
            runs.push_back({row->Offset, row->Width});
        }
    }
    return runs;
}

std::string SystemReason() {
    return errno != 0 ? std::strerror(errno) : "the system gave no reason";
}

// Writes the runs of image; false (errno set) at the first that fails or falls short.
bool WriteRuns(std::FILE* recording, const RecordingHeader& image, const std::vector<ByteRun>& runs) {
    for (const ByteRun& run : runs) {
        if (!SeekFile(recording, static_cast<std::int64_t>(run.Offset), SEEK_SET) ||
            g_Platform.WriteBytes(HeaderBytes(image) + run.Offset, run.Length, recording) != run.Length) {
            return false;
        }
    }
    return std::fflush(recording) == 0;
}

// The header as the file holds it now, read afresh over the loaded image
// (bytes past the file's end stay as they were); false with the reason
// where it cannot be read.
bool ReadBack(std::FILE* recording, RecordingHeader& header, std::int64_t size, std::string& reason) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::int64_t>(size, HeaderSize));
    errno = 0;
    if (!SeekFile(recording, 0, SEEK_SET) || std::fread(HeaderBytes(header), 1, length, recording) != length) {
        reason = SystemReason();
        return false;
    }
    return true;
}

// "CenterFreq 7100000, Bandwidth 150000": the fields a record holds, as the file holds them.
std::string Held(const RecordingHeader& header, const std::vector<const FieldRow*>& fields) {
    std::string text;
    for (const FieldRow* row : fields) {
        text += text.empty() ? "" : ", ";
        text += FieldName(*row);
        text += ' ';
        text += ShownValue(header, *row);
    }
    return text;
}

// What a write to the file came to: empty, or why it failed; held is what the
// file holds afterwards where that could be read back.
struct Written {
    std::string Error;
    std::optional<RecordingHeader> Held;
};

// Writes the new fields and checks them as read back. A write that fails or
// falls short is undone: the old bytes are written back and synced, and the
// header read back tells what the file now holds.
Written WriteEdit(std::FILE* recording, const Recording& now, const RecordingHeader& after,
                  const std::vector<ByteRun>& runs, const std::vector<const FieldRow*>& shown) {
    errno = 0;
    if (!WriteRuns(recording, after, runs)) {
        std::string error = SystemReason();
        WriteRuns(recording, now.Header, runs);
        g_Platform.SyncFile(recording);
        RecordingHeader held = now.Header;
        std::string reason;
        if (!ReadBack(recording, held, now.Size, reason)) {
            return {error + "; the file could not be read back: " + reason, std::nullopt};
        }
        error += "; the file holds " + Held(held, shown);
        return {error, held};
    }
    errno = 0;
    std::string error;
    if (!g_Platform.SyncFile(recording)) {
        error = "sync: " + SystemReason();
    }
    // What the file holds now, whatever the sync said: the record never
    // claims more than was read back.
    RecordingHeader held = now.Header;
    std::string reason;
    if (!ReadBack(recording, held, now.Size, reason)) {
        return {error.empty() ? "the header could not be read back: " + reason : error, std::nullopt};
    }
    if (error.empty() && std::any_of(runs.begin(), runs.end(), [&](const ByteRun& run) {
            return std::memcmp(HeaderBytes(held) + run.Offset, HeaderBytes(after) + run.Offset, run.Length) != 0;
        })) {
        error = "the header read back does not hold the new values";
    }
    return {error, held};
}

}  // namespace

bool Unopened(const PatchOutcome& outcome) {
    return outcome.Result == PatchResult::Failed && !outcome.Before;
}

std::vector<const FieldRow*> RecordFields(const PatchOutcome& outcome) {
    static constexpr const FieldRow* kTuning[] = {&field::CenterFreq, &field::Bandwidth};
    std::vector<const FieldRow*> fields = outcome.Fields;
    const auto has = [&](const FieldRow* row) { return std::find(fields.begin(), fields.end(), row) != fields.end(); };
    if (has(kTuning[0]) || has(kTuning[1])) {
        for (const FieldRow* row : kTuning) {
            if (!has(row)) {
                fields.push_back(row);
            }
        }
        std::sort(fields.begin(), fields.end());  // the table's order
    }
    return fields;
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
        case PatchResult::Skipped:
            ++tally.Skipped;
            break;
    }
}

PreparedFile PrepareFile(const FoundPath& found, const CommandLineOptions& options, const PlanFile& plan) {
    PreparedFile prepared;
    prepared.Found = found;
    PatchedFile& patched = prepared.Patched;
    PatchOutcome& outcome = patched.Outcome;
    outcome.Text = found.Text;
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
        return prepared;
    }
    // One writer a file: a file that another run holds is left to it.
    if (!options.DryRun && LockForWriting(recording) == LockResult::Busy) {
        std::fclose(recording);
        patched.Now.Path = found.Path;
        patched.Now.Text = found.Text;
        patched.Now.Error = outcome.Error = "busy: another process is writing it";
        return prepared;
    }
    patched.Now = ReadRecording(found, recording, opened);
    PlannedEdit edit = plan(patched.Now);
    outcome.Fields = edit.Fields;
    if (!edit.Skipped.empty()) {
        std::fclose(recording);
        outcome.Result = PatchResult::Skipped;
        outcome.Error = edit.Skipped;
        return prepared;
    }
    errno = 0;
    prepared.KeepTime = options.PreserveMtime && !options.DryRun;
    if (prepared.KeepTime && !GetModificationTime(recording, prepared.Modified)) {
        outcome.Error = "the modification time could not be read: " + SystemReason();
        std::fclose(recording);
        return prepared;
    }
    prepared.Runs = ChangedRuns(patched.Now.Header, edit.After, edit.Fields);
    outcome.Before = patched.Now.Header;
    outcome.After = edit.After;
    if (!edit.Refused.empty()) {
        outcome.Result = PatchResult::Refused;
        outcome.Error = edit.Refused;
        outcome.Before.reset();
        outcome.After.reset();
    } else if (prepared.Runs.empty()) {
        outcome.Result = PatchResult::Unchanged;
    } else if (options.DryRun) {
        outcome.Result = PatchResult::WouldPatch;
    } else {
        prepared.File = recording;  // to be written
        prepared.After = edit.After;
        return prepared;
    }
    std::fclose(recording);  // read only: nothing for the close to lose
    return prepared;
}

bool ToWrite(const PreparedFile& prepared) {
    return prepared.File != nullptr;
}

bool LogIntent(WriteLog& log, const PreparedFile& prepared, bool durable) {
    return LogIntent(log, prepared.Found, prepared.Patched.Now, prepared.After, prepared.Runs, durable);
}

PatchedFile FinishFile(PreparedFile& prepared, WriteLog* log, bool logged) {
    PatchedFile& patched = prepared.Patched;
    PatchOutcome& outcome = patched.Outcome;
    if (prepared.File == nullptr) {
        return std::move(patched);
    }
    std::FILE* recording = prepared.File;
    prepared.File = nullptr;
    std::string error;
    PatchResult result = PatchResult::Failed;
    std::optional<RecordingHeader> after = prepared.After;
    if (log != nullptr && !logged) {
        // No file is written without its intent on disk first.
        error = "the log could not be written (" + log->Error + "); the file is unchanged";
        after = patched.Now.Header;
    } else {
        const Written written = WriteEdit(recording, patched.Now, prepared.After, prepared.Runs, RecordFields(outcome));
        error = written.Error;
        after = written.Held;
        result = error.empty() ? PatchResult::Patched : PatchResult::Failed;
        if (written.Held) {
            patched.Now.Header = *written.Held;  // the recording as the file now holds it
        }
        errno = 0;
        if (prepared.KeepTime && !SetModificationTime(recording, prepared.Modified) && error.empty()) {
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
    outcome.After = after;
    if (log != nullptr && logged && log->Error.empty()) {
        LogOutcome(*log, outcome);
    }
    return std::move(patched);
}

PatchedFile EditFile(const FoundPath& found, const CommandLineOptions& options, const PlanFile& plan, WriteLog* log) {
    PreparedFile prepared = PrepareFile(found, options, plan);
    const bool logged = !ToWrite(prepared) || log == nullptr || LogIntent(*log, prepared, true);
    return FinishFile(prepared, log, logged);
}

PatchedFile PatchFile(const FoundPath& found, const CommandLineOptions& options, const FilePlans* plans,
                      WriteLog* log) {
    const FilePlan* plan = nullptr;
    if (plans != nullptr) {
        if (const auto at = plans->find(found.Text); at != plans->end()) {
            plan = &at->second;
        }
    }
    return EditFile(
        found, options, [&](const Recording& now) { return PlanEdit(now, options, plan); }, log);
}

int Taken(const PatchTally& tally) {
    return tally.Patched + tally.Unchanged + tally.Refused + tally.Failed + tally.Skipped;
}

std::string PatchSummary(const PatchTally& tally, const CommandLineOptions& options, const std::string& ending) {
    std::string line = std::to_string(tally.Patched) + (options.DryRun ? " would be patched, " : " patched, ") +
                       std::to_string(tally.Unchanged) + " unchanged, " + std::to_string(tally.Refused) +
                       " refused, " + std::to_string(tally.Failed) + " failed";
    if (!options.Wheres.empty()) {
        line += ", " + std::to_string(tally.Skipped) + " skipped";
    }
    return line + ending;
}

}  // namespace kalimber
