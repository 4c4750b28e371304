// The write log in JSON Lines: intents synced before their files are
// written, outcomes after, and the strict reading of a log to undo it.
#include "cli/write_log.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "cli/writers.h"
#include "platform/platform.h"
#include "platform/unicode.h"

namespace kalimber {
namespace {

using Json = nlohmann::ordered_json;

std::string Hex(const std::uint8_t* bytes, std::size_t length) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// Hex digits in pairs as bytes; false where they are not.
bool FromHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

bool Append(WriteLog& log, const std::string& line, bool durable) {
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), log.File) != line.size() || std::fputc('\n', log.File) == EOF ||
        std::fflush(log.File) != 0 || (durable && !g_Platform.SyncFile(log.File))) {
        log.Error = log.Text + ": " + (errno != 0 ? std::strerror(errno) : "the system gave no reason");
        return false;
    }
    return true;
}

// The bytes a log may name: the fields the tool writes (the RIFF size, the
// AUXI chunk past its head, the data size).
bool Writable(std::size_t offset, std::size_t length) {
    const std::size_t end = offset + length;
    return (offset >= 4 && end <= 8) || (offset >= 44 && end <= 208) || (offset >= 312 && end <= HeaderSize);
}

}  // namespace

bool OpenLog(const std::string& text, WriteLog& log) {
    log.Text = text;
    // A slip such as --log rec.wav must not append to a recording: a file
    // already there is a log only where it starts as one.
    std::error_code regular;
    std::FILE* existing = std::filesystem::is_regular_file(PathFromText(text), regular)
                              ? OpenPath(PathFromText(text), "rb")
                              : nullptr;
    if (existing != nullptr) {
        const int first = std::fgetc(existing);
        std::fclose(existing);
        if (first != EOF && first != '{') {
            log.Error = text + ": not a log of this tool (it does not start with a JSON line)";
            return false;
        }
    }
    errno = 0;
    log.File = OpenPath(PathFromText(text), "ab");
    if (log.File == nullptr) {
        log.Error = text + ": " + (errno != 0 ? std::strerror(errno) : "the system gave no reason");
        return false;
    }
    return true;
}

bool CloseLog(WriteLog& log) {
    if (log.File == nullptr) {
        return true;
    }
    errno = 0;
    const bool closed = std::fclose(log.File) == 0;
    log.File = nullptr;
    if (!closed && log.Error.empty()) {
        log.Error = log.Text + ": " + (errno != 0 ? std::strerror(errno) : "the system gave no reason");
    }
    return closed;
}

bool SyncLog(WriteLog& log) {
    errno = 0;
    if (!log.Error.empty() || !g_Platform.SyncFile(log.File)) {
        if (log.Error.empty()) {
            log.Error = log.Text + ": " + (errno != 0 ? std::strerror(errno) : "the system gave no reason");
        }
        return false;
    }
    return true;
}

bool LogIntent(WriteLog& log, const FoundPath& found, const Recording& now, const RecordingHeader& after,
               const std::vector<ByteRun>& runs, bool durable) {
    Json record{{"type", "intent"}, {"path", found.Text}};
    if (std::u16string wide; !Utf8ToUtf16(found.Text, wide)) {
        record["path_hex"] = Hex(reinterpret_cast<const std::uint8_t*>(found.Text.data()), found.Text.size());
    }
    record["identity"] =
        now.Identity ? Json{{"volume", now.Identity->Volume}, {"index", now.Identity->Index}} : Json();
    Json written = Json::array();
    for (const ByteRun& run : runs) {
        written.push_back(Json{{"offset", run.Offset},
                               {"old", Hex(HeaderBytes(now.Header) + run.Offset, run.Length)},
                               {"new", Hex(HeaderBytes(after) + run.Offset, run.Length)}});
    }
    record["runs"] = written;
    return log.Error.empty() && Append(log, record.dump(-1, ' ', false, Json::error_handler_t::replace), durable);
}

void LogOutcome(WriteLog& log, const PatchOutcome& outcome) {
    Append(log, JsonPatch(outcome), false);
}

std::string ReadLog(const std::string& text, std::vector<LoggedWrite>& writes) {
    std::FILE* file = OpenPath(PathFromText(text), "rb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::string bytes;
    char chunk[65536];
    for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        bytes.append(chunk, got);
    }
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    if (!read) {
        return "it could not be read";
    }
    std::size_t number = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        ++number;
        const std::size_t end = bytes.find('\n', at);
        std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? bytes.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string where = "line " + std::to_string(number) + ": ";
        const Json record = Json::parse(line, nullptr, false);
        if (record.is_discarded() || !record.is_object() || !record.contains("type") || !record["type"].is_string()) {
            if (end == std::string::npos) {
                break;  // a last line cut short as it was written: its file was never written
            }
            return where + "not a line of a kalimber log";
        }
        if (record["type"] == "patch") {
            continue;  // an outcome: the intent before it says what to undo
        }
        if (record["type"] != "intent" || !record.contains("path") || !record["path"].is_string() ||
            !record.contains("runs") || !record["runs"].is_array() || record["runs"].empty()) {
            return where + "not a line of a kalimber log";
        }
        LoggedWrite write;
        write.Text = record["path"].get<std::string>();
        std::string name = write.Text;
        if (record.contains("path_hex")) {
            std::vector<std::uint8_t> raw;
            if (!record["path_hex"].is_string() || !FromHex(record["path_hex"].get<std::string>(), raw)) {
                return where + "path_hex is not hex";
            }
            name.assign(raw.begin(), raw.end());
        }
        write.Path = PathFromText(name);
        for (const Json& run : record["runs"]) {
            LoggedRun logged;
            if (!run.is_object() || !run.contains("offset") || !run["offset"].is_number_unsigned() ||
                !run.contains("old") || !run["old"].is_string() || !run.contains("new") || !run["new"].is_string()) {
                return where + "a run is not an offset with old and new bytes";
            }
            const std::uint64_t offset = run["offset"].get<std::uint64_t>();
            if (offset >= HeaderSize) {
                return where + "an offset outside 0..315";
            }
            logged.Offset = static_cast<std::size_t>(offset);
            if (!FromHex(run["old"].get<std::string>(), logged.Old) || !FromHex(run["new"].get<std::string>(), logged.New)) {
                return where + "old or new bytes are not hex";
            }
            if (logged.Old.empty() || logged.Old.size() != logged.New.size() ||
                !Writable(logged.Offset, logged.Old.size())) {
                return where + "old and new bytes of the wrong length, or outside the fields the tool writes";
            }
            write.Runs.push_back(std::move(logged));
        }
        writes.push_back(std::move(write));
    }
    return "";
}

}  // namespace kalimber
