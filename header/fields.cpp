// Reads a field of the table out of a header image: numbers little-endian
// whatever the host, text up to its first NUL, time stamps as records.
#include "header/fields.h"

#include <cstring>

namespace kalimber {

std::int64_t FieldNumber(const RecordingHeader& header, const FieldRow& row) {
    const std::uint64_t value = LittleEndian(HeaderBytes(header) + row.Offset, row.Width);
    if (row.Kind == FieldKind::Signed && row.Width < 8 && (value >> (8 * row.Width - 1)) != 0) {
        return static_cast<std::int64_t>(value) - (std::int64_t{1} << (8 * row.Width));
    }
    return static_cast<std::int64_t>(value);
}

std::string FieldString(const RecordingHeader& header, const FieldRow& row) {
    const char* bytes = reinterpret_cast<const char*>(HeaderBytes(header) + row.Offset);
    if (row.Kind == FieldKind::Identifier) {
        return std::string(bytes, row.Width);
    }
    std::size_t length = 0;
    while (length < row.Width && bytes[length] != '\0') {
        ++length;
    }
    return std::string(bytes, length);
}

TimeStamp FieldTime(const RecordingHeader& header, const FieldRow& row) {
    TimeStamp time;
    std::memcpy(&time, HeaderBytes(header) + row.Offset, sizeof time);
    return time;
}

}  // namespace kalimber
