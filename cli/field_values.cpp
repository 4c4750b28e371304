// Names and values of fields on the command line, read strictly: a value
// that is not what its field holds is told, never written.
#include "cli/field_values.h"

#include <algorithm>
#include <cstring>

#include "cli/calendar.h"
#include "cli/options.h"
#include "cli/writers.h"

namespace kalimber {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool Frequency(const FieldRow& row) {
    static constexpr const FieldRow* kFrequencies[] = {&field::CenterFreq, &field::ADFrequency,
                                                       &field::IFFrequency, &field::Bandwidth};
    return std::find(std::begin(kFrequencies), std::end(kFrequencies), &row) != std::end(kFrequencies);
}

// A whole number in decimal, with a sign where the field has one, that the
// field can hold.
bool ReadWhole(const FieldRow& row, std::string_view text, std::int64_t& value) {
    const bool minus = row.Kind == FieldKind::Signed && !text.empty() && text.front() == '-';
    if (minus) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::int64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    const int bits = static_cast<int>(8 * row.Width);
    const std::int64_t most = row.Kind == FieldKind::Signed ? (std::int64_t{1} << (bits - 1)) - (minus ? 0 : 1)
                                                             : (std::int64_t{1} << bits) - 1;
    if (number > most) {
        return false;
    }
    value = minus ? -number : number;
    return true;
}

std::string Range(const FieldRow& row) {
    const int bits = static_cast<int>(8 * row.Width);
    if (row.Kind == FieldKind::Signed) {
        return std::to_string(-(std::int64_t{1} << (bits - 1))) + " to " +
               std::to_string((std::int64_t{1} << (bits - 1)) - 1);
    }
    return "0 to " + std::to_string((std::int64_t{1} << bits) - 1);
}

// A number field's value from its text: HZ forms for a frequency.
std::string ReadNumber(const FieldRow& row, std::string_view text, std::int64_t& value) {
    const std::string name = FieldName(row);
    if (Frequency(row)) {
        std::uint32_t hertz = 0;
        switch (ReadHertz(text, hertz)) {
            case HertzReading::Value:
                value = hertz;
                return "";
            case HertzReading::NotAFrequency:
                return name + ": '" + std::string(text) + "' is not a frequency in hertz (7050000, 7050k, 7.05M or 7.05MHz)";
            case HertzReading::OutOfRange:
                break;
        }
        return name + ": '" + std::string(text) + "' is not a whole number of hertz from 0 to 4294967295";
    }
    if (!ReadWhole(row, text, value)) {
        return name + ": '" + std::string(text) + "' is not a whole number from " + Range(row);
    }
    return "";
}

}  // namespace

std::string FieldName(const FieldRow& row) {
    const std::string label = row.Label;
    const bool shared = std::count_if(std::begin(FieldTable), std::end(FieldTable), [&](const FieldRow& other) {
                            return label == other.Label;
                        }) > 1;
    if (!shared || (row.Chunk == ChunkKind::Auxi && label.rfind("Cnk", 0) != 0)) {
        return label;
    }
    std::string name = ChunkTable[static_cast<std::size_t>(row.Chunk)].Name;
    name += '.';
    name += label;
    return name;
}

FieldChoice FindField(std::string_view name) {
    if (SameFolded(name, CheckLabel)) {
        return {nullptr, true};
    }
    for (const FieldRow& row : FieldTable) {
        std::string qualified = ChunkTable[static_cast<std::size_t>(row.Chunk)].Name;
        qualified += '.';
        qualified += row.Label;
        if (SameFolded(name, FieldName(row)) || SameFolded(name, qualified)) {
            return {&row, true};
        }
    }
    return {};
}

bool Settable(const FieldRow& row) {
    return row.Chunk == ChunkKind::Auxi && row.Offset >= field::StartTime.Offset;
}

std::string ReadSetting(const FieldRow& row, std::string_view text, std::array<std::uint8_t, 96>& bytes) {
    bytes.fill(0);
    switch (row.Kind) {
        case FieldKind::Unsigned:
        case FieldKind::Signed: {
            std::int64_t value = 0;
            if (std::string reason = ReadNumber(row, text, value); !reason.empty()) {
                return reason;
            }
            for (std::size_t i = 0; i < row.Width; ++i) {
                bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
            }
            return "";
        }
        case FieldKind::Time: {
            const std::optional<TimeStamp> time = ReadTime(text);
            if (!time) {
                return FieldName(row) + ": '" + std::string(text) +
                       "' is not a time YYYY-MM-DDTHH:MM:SS[.mmm] on a real date from 1601 to 30827";
            }
            std::memcpy(bytes.data(), &*time, sizeof *time);
            return "";
        }
        case FieldKind::Identifier:
        case FieldKind::Text:
            break;
    }
    if (text.size() > row.Width) {
        return FieldName(row) + ": '" + std::string(text) + "' is longer than " + std::to_string(row.Width) + " bytes";
    }
    if (text.find('\0') != std::string_view::npos) {
        return FieldName(row) + ": a text holds no NUL";
    }
    std::copy(text.begin(), text.end(), bytes.begin());
    return "";
}

std::string ReadWanted(const FieldChoice& field, std::string_view text, std::string& reason) {
    if (field.Row == nullptr) {
        for (const RecordingCheck check : {RecordingCheck::Ok, RecordingCheck::NotOrva,
                                           RecordingCheck::UnsupportedVersion, RecordingCheck::Truncated}) {
            if (text == CheckName(check)) {
                return std::string(text);
            }
        }
        reason = "Check: '" + std::string(text) + "' is not ok, not-orva, unsupported-version or truncated";
        return "";
    }
    const FieldRow& row = *field.Row;
    switch (row.Kind) {
        case FieldKind::Unsigned:
        case FieldKind::Signed: {
            std::int64_t value = 0;
            reason = ReadNumber(row, text, value);
            return reason.empty() ? std::to_string(value) : "";
        }
        case FieldKind::Time: {
            const std::optional<TimeStamp> time = ReadTime(text);
            if (!time) {
                reason = FieldName(row) + ": '" + std::string(text) +
                         "' is not a time YYYY-MM-DDTHH:MM:SS[.mmm] on a real date from 1601 to 30827";
                return "";
            }
            return TimeText(*time);
        }
        case FieldKind::Identifier:
        case FieldKind::Text:
            break;
    }
    if (text.size() > row.Width) {
        reason = FieldName(row) + ": '" + std::string(text) + "' is longer than " + std::to_string(row.Width) + " bytes";
    }
    return std::string(text);
}

std::string HeaderFieldText(const RecordingHeader& header, const FieldRow& row) {
    switch (row.Kind) {
        case FieldKind::Unsigned:
        case FieldKind::Signed:
            return std::to_string(FieldNumber(header, row));
        case FieldKind::Identifier:
        case FieldKind::Text:
            return FieldString(header, row);
        case FieldKind::Time:
            break;
    }
    return TimeText(FieldTime(header, row));
}

std::string FieldText(const Recording& recording, const FieldRow* row) {
    if (row == nullptr) {
        return CheckName(recording.Check);
    }
    if (!HoldsChunk(recording, ChunkTable[static_cast<std::size_t>(row->Chunk)])) {
        return "none";
    }
    return HeaderFieldText(recording.Header, *row);
}

}  // namespace kalimber
